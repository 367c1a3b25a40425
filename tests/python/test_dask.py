"""quorlex.dask on a local cluster of two worker processes: files converted as quorlexrun
converts them, a worker killed midway, failures reported, bags, and the command."""

import concurrent.futures
import os
import random
import signal
import subprocess
import sys
import time

import dask.bag
import distributed
import pytest

import quorlex
import quorlex.dask
from conftest import E2E_DIR, run_quorlexrun, without_date

PAGES = 500


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, processes=True, threads_per_worker=1,
                                  dashboard_address=None) as cluster:
        with distributed.Client(cluster) as own:
            yield own


def _page(number: int, rng: random.Random) -> bytes:
    """A page of its own: a heading, paragraphs, a list, a table, links and entities, some
    declaring windows-1251."""
    words = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota"]

    def sentence():
        return " ".join(rng.choice(words) for _ in range(rng.randint(5, 40)))

    parts = [f"<html><head><title>Page {number}</title></head><body><h1>Page {number}</h1>"]
    for _ in range(rng.randint(1, 6)):
        parts.append(f"<p>{sentence()} &amp; <a href='https://example.org/{number}'>link</a>"
                     f" &eacute;t&eacute;.</p>")
    if number % 3 == 0:
        parts.append("<ul>" + "".join(f"<li>{sentence()}</li>" for _ in range(3)) + "</ul>")
    if number % 4 == 0:
        parts.append("<table><tr><td>one</td><td>two</td></tr><tr><td>3</td><td>4</td></tr>"
                     "</table>")
    html = "".join(parts) + "</body></html>"
    if number % 5 == 0:
        cyrillic = "<p>Привет</p>".encode("cp1251")
        return b'<meta charset="windows-1251">' + html.encode() + cyrillic
    return html.encode()


@pytest.fixture(scope="module")
def pages(tmp_path_factory):
    """PAGES generated pages and the e2e inputs, with quorlexrun's outputs for them."""
    folder = tmp_path_factory.mktemp("pages")
    rng = random.Random(7)
    for number in range(PAGES):
        (folder / f"page{number:03}.htm").write_bytes(_page(number, rng))
    for case in sorted(E2E_DIR.iterdir()):
        if (case / "input.htm").exists() and not (case / "policies.pol").exists():
            (folder / f"case-{case.name}.html").write_bytes((case / "input.htm").read_bytes())
    run = run_quorlexrun(["*.htm*", "/OUTPUT=expected/"], folder)
    assert run.returncode == 0, run.stderr
    return folder


def _expected_outputs(folder):
    return {name: without_date((folder / "expected" / name).read_bytes())
            for name in os.listdir(folder / "expected")}


def _written(out):
    return {name: without_date((out / name).read_bytes())
            for name in os.listdir(out) if not name.startswith(".") and (out / name).is_file()}


def _inputs(folder):
    return sorted(str(path) for path in folder.glob("*.htm*"))


def test_outputs_equal_quorlexrun_files(client, pages, tmp_path):
    results = quorlex.dask.convert_files(_inputs(pages), str(tmp_path / "out"), client=client)
    assert all(result.ok for result in results), [r for r in results if not r.ok][:3]
    assert [result.output for result in results] == [
        os.path.join(str(tmp_path / "out"), os.path.splitext(os.path.basename(path))[0] + ".txt")
        for path in _inputs(pages)]
    assert _written(tmp_path / "out") == _expected_outputs(pages)
    assert not [name for name in os.listdir(tmp_path / "out") if ".qxtmp-" in name]


def test_failures_are_reported_and_the_rest_complete(client, pages, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    (out / "page001.txt").mkdir()  # the output cannot be written
    inputs = [str(pages / f"page{number:03}.htm") for number in range(10)]
    inputs += [str(pages / "missing.htm"), str(pages / "sub" / "page002.htm")]
    results = quorlex.dask.convert_files(inputs, str(out), client=client)
    failed = {os.path.basename(result.input): result.messages for result in results
              if not result.ok}
    assert failed.keys() == {"page001.htm", "missing.htm", "page002.htm"}
    assert failed["missing.htm"] == [quorlex.Message(
        10, f"ERROR: Can't find or open {pages / 'missing.htm'}")]
    assert failed["page001.htm"][-1].text.startswith(
        f"ERROR: Error writing to file {out / 'page001.txt'} (")
    assert failed["page002.htm"][0].text.startswith(
        "ERROR: Output file would overwrite another of the run - ")
    assert len([result for result in results if result.ok]) == 9
    expected = _expected_outputs(pages)
    written = _written(out)
    assert sorted(written) == [f"page{number:03}.txt" for number in range(10) if number != 1]
    assert all(written[name] == expected[name] for name in written)


def test_markup_policies_give_quorlexrun_html_and_never_replace_an_input(client, pages, tmp_path):
    folder = tmp_path / "in"
    folder.mkdir()
    for number in range(20):
        (folder / f"page{number:03}.htm").write_bytes((pages / f"page{number:03}.htm").read_bytes())
    (tmp_path / "markup.pol").write_text("Remove all tags : No\n")
    run = run_quorlexrun(["in/*.htm", "markup.pol", "/OUTPUT=expected/"], tmp_path)
    assert run.returncode == 0, run.stderr
    inputs = _inputs(folder)
    results = quorlex.dask.convert_files(inputs, str(tmp_path / "out"),
                                         {"Remove all tags": False}, client=client)
    assert all(result.ok for result in results)
    assert _written(tmp_path / "out") == {
        name: (tmp_path / "expected" / name).read_bytes()
        for name in os.listdir(tmp_path / "expected")}
    # Converted where they lie, the outputs would take the inputs' names.
    in_place = quorlex.dask.convert_files(inputs, str(folder), {"Remove all tags": False},
                                          client=client)
    assert [result.messages[0].text for result in in_place] == [
        f"ERROR: Output file is overwriting input file - {path}" for path in inputs]
    assert (folder / "page000.htm").read_bytes() == (pages / "page000.htm").read_bytes()


def test_bad_policies_fail_before_the_run(client, tmp_path):
    with pytest.raises(quorlex.PolicyError):
        quorlex.dask.convert_files(["a.htm"], str(tmp_path), {"Colour": "blue"}, client=client)


def test_bag_of_documents_to_text(client):
    documents = ["<h1>One</h1>", b"<p>Two</p>", '<meta charset="windows-1251"><p>Привет</p>']
    bag = dask.bag.from_sequence(documents, npartitions=2)
    texts = quorlex.dask.to_text_bag(bag, {"Target Page width": 40}).compute()
    assert texts == [quorlex.to_text(document, {"Target Page width": 40})
                     for document in documents]


def test_command_reports_and_exits_as_quorlexrun(client, pages, tmp_path):
    policy = tmp_path / "narrow.pol"
    policy.write_text("Target Page width : 40\n")
    command = [sys.executable, "-m", "quorlex.dask", str(pages), str(pages / "missing.htm"),
               "--out", str(tmp_path / "out"), "--policy", str(policy),
               "--scheduler", client.scheduler.address]
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    inputs = _inputs(pages)
    assert run.returncode == 1, run.stderr
    assert f"{len(inputs)} converted, 1 failed" in run.stdout
    assert "missing.htm:\n  ERROR: Can't find or open" in run.stdout
    reference = tmp_path / "reference"
    run = run_quorlexrun([inputs[0], f"/OUTPUT={reference}/", policy], tmp_path)
    assert run.returncode == 0, run.stderr
    name = os.path.splitext(os.path.basename(inputs[0]))[0] + ".txt"
    assert (without_date((tmp_path / "out" / name).read_bytes()) ==
            without_date((reference / name).read_bytes()))
    command = [sys.executable, "-m", "quorlex.dask", inputs[0], "--out", str(tmp_path / "one"),
               "--scheduler", client.scheduler.address]
    run = subprocess.run(command, capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stderr
    assert "1 converted, 0 failed" in run.stdout


def test_a_killed_worker_leaves_every_output_whole(client, pages, tmp_path):
    out = tmp_path / "out"
    pids = set(client.run(os.getpid).values())
    run = concurrent.futures.ThreadPoolExecutor(1).submit(
        quorlex.dask.convert_files, _inputs(pages), str(out), client=client)
    # Once a tenth of the outputs is written, one worker goes, as under kill -9.
    while not out.exists() or len(os.listdir(out)) < PAGES // 10:
        assert not run.done(), run.result()
        time.sleep(0.01)
    os.kill(next(iter(pids)), signal.SIGKILL)
    results = run.result(timeout=120)
    assert set(client.run(os.getpid).values()) != pids
    assert all(result.ok for result in results)
    assert _written(out) == _expected_outputs(pages)
