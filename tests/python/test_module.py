"""The quorlex module: documents as str and bytes, policies as a dict and a file, errors as
exceptions, threads, and output equal to the files quorlexrun writes."""

import shutil
import threading

import pytest

import quorlex
from conftest import E2E_DIR, run_quorlexrun, without_date

E2E_CASES = sorted(path.name for path in E2E_DIR.iterdir() if (path / "input.htm").exists())


@pytest.mark.parametrize("case", E2E_CASES)
def test_output_equals_the_file_quorlexrun_writes(case, tmp_path):
    folder = E2E_DIR / case
    shutil.copy(folder / "input.htm", tmp_path)
    arguments = ["input.htm", "/OUTPUT=output"]
    policy_file = None
    if (folder / "policies.pol").exists():
        policy_file = str(shutil.copy(folder / "policies.pol", tmp_path))
        arguments.append("policies.pol")
    run = run_quorlexrun(arguments, tmp_path)
    assert run.returncode == 0, run.stderr
    html = (folder / "input.htm").read_bytes()
    converter = quorlex.Converter(policy_file=policy_file, header_box=True)
    text_file = tmp_path / "output.txt"
    if text_file.exists():
        expected = text_file.read_bytes()
        actual = converter.to_text_named(html, "input.htm", "output.txt")
    else:
        expected = (tmp_path / "output.htm").read_bytes()
        actual = converter.remove_markup(html)
    assert without_date(actual.encode("utf-8", "surrogateescape")) == without_date(expected)


CP1251 = b'<meta charset="windows-1251"><p>\xcf\xf0\xe8\xe2\xe5\xf2</p>'
UTF16 = "\ufeff<p>Café</p>".encode("utf-16-le")
DECLARES_CP1251 = '<meta charset="windows-1251"><p>Привет</p>'


@pytest.mark.parametrize(
    "name, html, markup, expected",
    [
        ("windows-1251 bytes", CP1251, False, "Привет\n\n"),
        ("UTF-16 bytes with the mark", UTF16, False, "Café\n\n"),
        ("UTF-8 str declaring windows-1251", DECLARES_CP1251, False, "Привет\n\n"),
        ("the same bytes read as declared", DECLARES_CP1251.encode(), False,
         "РџСЂРёРІРµС‚\n\n"),
        ("bytearray", bytearray(b"<p>Text</p>"), False, "Text\n\n"),
        ("markup of a str", "<p>Caf\u00e9 <b>x</b></p>", True, "<p>Caf\u00e9 <b>x</b></p>\n"),
        ("empty str", "", False, ""),
    ],
)
def test_reads_str_as_utf8_and_bytes_as_a_file(name, html, markup, expected):
    convert = quorlex.remove_markup if markup else quorlex.to_text
    assert convert(html) == expected, name


def test_keeps_eight_bit_output_bytes():
    text = quorlex.to_text(b"<p>Caf\xe9</p>", {"Output character set": "8-bit"})
    assert text.encode("utf-8", "surrogateescape") == b"Caf\xe9\n\n"


LONG = ("<p>Twenty words or so make a paragraph that a page thirty columns wide must wrap onto "
        "several lines, while seventy-two columns take it in two.</p>")
TABLE = "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"


def test_takes_policies_as_a_dict_and_as_a_file(tmp_path):
    policy_file = tmp_path / "narrow.pol"
    policy_file.write_text("[Text Formatting]\nTarget Page width : 30\n")
    narrow = quorlex.to_text(LONG, {"Target Page width": 30})
    assert max(map(len, narrow.splitlines())) <= 30
    assert narrow != quorlex.to_text(LONG)
    assert quorlex.to_text(LONG, policy_file=str(policy_file)) == narrow
    assert quorlex.Converter({"Target Page width": "30"}).to_text(LONG) == narrow
    # A switch given as a bool is written Yes or No.
    assert quorlex.to_text(TABLE, {"Attempt to parse tables": False}) != quorlex.to_text(TABLE)
    assert (quorlex.to_text(TABLE, {"Attempt to parse tables": True}) ==
            quorlex.to_text(TABLE))


def test_header_box_only_when_asked():
    assert not quorlex.to_text("<p>Text</p>").startswith("/---")
    boxed = quorlex.Converter(header_box=True).to_text("<title>T</title><p>Text</p>")
    assert boxed.startswith("/---")
    assert "stdin.txt" in boxed


@pytest.mark.parametrize(
    "name, arguments, message",
    [
        ("unknown name", {"policies": {"Target Pgae width": 60}},
         "POLICY: Ignored - \\Target Pgae width : 60\\"),
        ("bad yes/no value", {"policies": {"Right justify the output text": "Perhaps"}},
         "ERROR: Don't understand policy value : Perhaps"),
        ("value out of range", {"policies": {"Target Page width": 5000}},
         "POLICY: Value 5000 is outside allowed range (-1:1000) - 1000 used"),
        ("missing file", {"policy_file": "/nonexistent/a.pol"},
         'ERROR: Can\'t find policy file "/nonexistent/a.pol"'),
    ],
)
def test_bad_policies_raise_policy_error(name, arguments, message):
    with pytest.raises(quorlex.PolicyError) as raised:
        quorlex.Converter(**arguments)
    assert raised.value.messages[0] == quorlex.Message(10, message), name
    assert message in str(raised.value)
    assert isinstance(raised.value, quorlex.Error)
    with pytest.raises(quorlex.PolicyError):
        quorlex.to_text("<p>x</p>", **arguments)


@pytest.mark.parametrize(
    "arguments, error",
    [
        ({"policies": {"Target Page width": 6.5}}, TypeError),
        ({"policies": {"Target Page width": 60}, "policy_file": "a.pol"}, TypeError),
    ],
)
def test_refuses_arguments_of_the_wrong_kind(arguments, error):
    with pytest.raises(error):
        quorlex.Converter(**arguments)


def test_a_failed_conversion_raises_conversion_error():
    # A converter whose policies were refused converts nothing; the module refuses it at
    # construction, so it is made here around the compiled converter directly.
    converter = object.__new__(quorlex.Converter)
    converter._converter = quorlex._quorlex.Converter([("Colour", "blue")], None, False)
    with pytest.raises(quorlex.ConversionError) as raised:
        converter.to_text("<p>x</p>")
    assert raised.value.messages == [quorlex.Message(10, "POLICY: Ignored - \\Colour : blue\\")]
    assert converter.messages == raised.value.messages
    assert isinstance(raised.value, quorlex.Error)


def test_messages_of_the_last_conversion():
    converter = quorlex.Converter()
    converter.to_text(b'<meta charset="x-unheard-of"><p>Text</p>')
    assert converter.messages == [quorlex.Message(
        10, 'WARNING: Unknown character set "x-unheard-of" - read as UTF-8')]
    converter.to_text("<p>Text</p>")
    assert converter.messages == []


def test_threads_convert_at_once_as_one_after_another():
    pages = [(E2E_DIR / case / "input.htm").read_bytes() for case in E2E_CASES]
    converter = quorlex.Converter({"Target Page width": 60})
    serial = [converter.to_text(page) for page in pages]
    results = [[None] * len(pages) for _ in range(8)]
    start = threading.Barrier(8)

    def convert(index):
        start.wait()
        for _ in range(3):
            for number, page in enumerate(pages):
                results[index][number] = converter.to_text(page)

    threads = [threading.Thread(target=convert, args=(index,)) for index in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(result == serial for result in results)
