"""Quorlex on a Dask cluster: many files converted by the workers of a cluster, or a
``dask.bag`` of documents converted to text.

The workers read the inputs and write the outputs themselves, so every worker must see
the same file system (a shared folder) under the same paths. Outputs are named as
``quorlexrun IN /OUTPUT=out_dir/`` names them (``page.htm`` gives ``out_dir/page.txt``)
and hold what quorlexrun writes, header box included. Each is written whole: into a
temporary file of quorlexrun's form (``.<name>.qxtmp-<host>-<pid>-<random>``) in the same
folder, then renamed over the output, so that a worker killed midway leaves either the
old output or the new one, never part of one; quorlexrun recognises and sweeps what such
a worker leaves behind. The scheduler gives a lost worker's tasks to another worker.
"""

import contextlib
import dataclasses
import os
import secrets
import socket
import threading
from typing import Dict, Iterable, Iterator, List, Mapping, Optional, Sequence, Tuple

import quorlex

__all__ = ["FileResult", "convert_files", "output_path", "to_text_bag"]

CONVERTED = "converted"
FAILED = "failed"

# quorlexrun's temporary files: ".<name>.qxtmp-<host>-<pid>-<random>", at most 255 bytes,
# of which the output's name gives at most 200.
_TEMPORARY_MARKER = ".qxtmp-"
_MAX_FILE_NAME = 255
_MAX_NAME_IN_TEMPORARY = 200


@dataclasses.dataclass(frozen=True)
class FileResult:
    """What became of one input file: ``status`` is "converted" or "failed", and
    ``messages`` say what the conversion reported (why it failed, when it did)."""

    input: str
    output: str
    status: str
    messages: List[quorlex.Message]

    @property
    def ok(self) -> bool:
        return self.status == CONVERTED


def output_path(input_path: str, out_dir: str, text: bool = True) -> str:
    """The output quorlexrun writes for ``input_path`` with /OUTPUT=out_dir/: the input's
    name with its last extension replaced by ".txt" ("in.asc" gives "out.txt"); HTML output
    (``text`` false) keeps the input's extension, or gets ".html" when it has none."""
    stem, extension = os.path.splitext(os.path.basename(input_path))
    if input_path.lower() == "in.asc":
        stem = "out"
    if text:
        extension = ".txt"
    return os.path.join(out_dir, stem + (extension or ".html"))


# The converters of each worker thread, by policies: reading the policies and building
# their pattern lists is done once per thread, not once per file, and each thread reads
# the messages of its own conversions.
_local = threading.local()


def _converter(policies: Optional[Tuple[Tuple[str, object], ...]], policy_file: Optional[str],
               header_box: bool) -> quorlex.Converter:
    converters: Dict[Tuple, quorlex.Converter] = _local.__dict__.setdefault("converters", {})
    key = (policies, policy_file, header_box)
    if key not in converters:
        converters[key] = quorlex.Converter(None if policies is None else dict(policies),
                                            policy_file, header_box)
    return converters[key]


def _temporary_name(target: str) -> str:
    folder, name = os.path.split(target)
    host = socket.gethostname() or "_"
    suffix = f"{_TEMPORARY_MARKER}{host}-{os.getpid()}-{secrets.token_hex(8)}"
    encoded = os.fsencode(name)
    kept = min(len(encoded), _MAX_NAME_IN_TEMPORARY, _MAX_FILE_NAME - 1 - len(suffix))
    return os.path.join(folder, "." + os.fsdecode(encoded[:kept]) + suffix)


def _write_whole(target: str, data: bytes) -> None:
    """Writes ``data`` as the file ``target`` whole: into a temporary file beside it, then
    renamed over it. A file replaced keeps its permissions. Raises OSError."""
    temporary = _temporary_name(target)
    try:
        with open(temporary, "xb") as out:
            out.write(data)
        with contextlib.suppress(FileNotFoundError):
            os.chmod(temporary, os.stat(target).st_mode & 0o7777)
        os.replace(temporary, target)
    except BaseException:
        with contextlib.suppress(OSError):
            os.remove(temporary)
        raise


def _same_file(input_path: str, output: str) -> bool:
    try:
        return os.path.samefile(input_path, output)
    except OSError:
        return False


def _failed(input_path: str, output: str, text: str) -> FileResult:
    return FileResult(input_path, output, FAILED, [quorlex.Message(10, text)])


def _convert_file(input_path: str, output: str, policies=None, policy_file=None) -> FileResult:
    """Converts one file as a worker does (the paths as the worker sees them)."""
    try:
        with open(input_path, "rb") as source:
            html = source.read()
    except OSError:
        return _failed(input_path, output, f"ERROR: Can't find or open {input_path}")
    converter = _converter(policies, policy_file, header_box=True)
    try:
        if converter.writes_text:
            text = converter.to_text_named(html, os.path.basename(input_path),
                                           os.path.basename(output))
        else:
            text = converter.remove_markup(html)
    except quorlex.ConversionError as error:
        return FileResult(input_path, output, FAILED, error.messages)
    try:
        _write_whole(output, text.encode("utf-8", "surrogateescape"))
    except OSError as error:
        return FileResult(input_path, output, FAILED, converter.messages + [
            quorlex.Message(10, f"ERROR: Error writing to file {output} ({error.strerror})")])
    return FileResult(input_path, output, CONVERTED, converter.messages)


def _convert_batch(files: Sequence[Tuple[str, str]], policies=None,
                   policy_file=None) -> List[FileResult]:
    """Converts a batch of (input, output) files on one worker, one after the other."""
    return [_convert_file(input_path, output, policies, policy_file)
            for input_path, output in files]


# Files go to the workers in batches of up to this many: a task of its own for every file
# would cost the scheduler more than converting a typical page does.
_MAX_BATCH = 32


def _batches(items: List) -> List[List]:
    """``items`` cut into batches, small enough that a run of few files still spreads over
    the workers (at least 16 batches while there are files enough)."""
    size = max(1, min(_MAX_BATCH, len(items) // 16))
    return [items[start:start + size] for start in range(0, len(items), size)]


@contextlib.contextmanager
def _client(client, workers: Optional[int] = None) -> Iterator:
    """The client given, else the one of this process, else one of a LocalCluster started
    for the while (one worker process of one thread per core, or ``workers``)."""
    import distributed

    if client is None:
        with contextlib.suppress(ValueError):
            client = distributed.get_client()
    if client is not None:
        yield client
        return
    with distributed.LocalCluster(n_workers=workers, threads_per_worker=1,
                                  processes=True) as cluster, distributed.Client(cluster) as own:
        yield own


def _policy_key(policies: Optional[Mapping[str, object]]):
    return None if policies is None else tuple(policies.items())


def convert_files(
    paths: Iterable[str],
    out_dir: str,
    policies: Optional[Mapping[str, quorlex.PolicyValue]] = None,
    policy_file: Optional[str] = None,
    client=None,
    progress: bool = False,
    workers: Optional[int] = None,
) -> List[FileResult]:
    """Converts the files ``paths`` on a Dask cluster into ``out_dir`` (text, or HTML when
    the policies say "Remove all tags : No", as quorlexrun does), in batches of up to 32
    files a task, and returns a result for each, in order. A file that fails is reported in
    its result and the others complete. Two inputs that would give the same output fail but
    the first, and an output may not replace its input. ``client`` is the cluster's client
    (default: the current one, else a LocalCluster of ``workers`` processes started for the
    call); ``progress`` shows Dask's progress bar. The policies are read once on each
    worker; PolicyError is raised here, before any work, when they cannot be read."""
    import distributed

    # Refuses bad policies before the cluster runs, and says what the outputs are.
    text = quorlex.Converter(policies, policy_file).writes_text
    policy_file = None if policy_file is None else os.path.abspath(policy_file)
    os.makedirs(out_dir, exist_ok=True)
    paths = list(paths)
    outputs = [output_path(path, out_dir, text) for path in paths]
    results: List[Optional[FileResult]] = [None] * len(paths)
    seen = set()
    work: List[int] = []
    for index, output in enumerate(outputs):
        if output in seen:
            results[index] = _failed(
                paths[index], output,
                f"ERROR: Output file would overwrite another of the run - {output}")
        elif _same_file(paths[index], output):
            results[index] = _failed(
                paths[index], output,
                f"ERROR: Output file is overwriting input file - {paths[index]}")
        else:
            seen.add(output)
            work.append(index)
    files = [(os.path.abspath(paths[i]), os.path.abspath(outputs[i])) for i in work]
    with _client(client, workers) as cluster:
        futures = cluster.map(_convert_batch, _batches(files),
                              policies=_policy_key(policies), policy_file=policy_file,
                              pure=False)
        if progress:
            distributed.progress(futures)
        converted = [result for batch in cluster.gather(futures) for result in batch]
        for index, result in zip(work, converted):
            results[index] = dataclasses.replace(result, input=paths[index], output=outputs[index])
    return results


def _to_text_all(documents: Sequence, policies, policy_file) -> List[str]:
    converter = _converter(policies, policy_file, header_box=False)
    return [converter.to_text(html) for html in documents]


def to_text_bag(bag, policies: Optional[Mapping[str, quorlex.PolicyValue]] = None,
                policy_file: Optional[str] = None):
    """A ``dask.bag`` of the text of each document of ``bag`` (str or bytes, read as
    quorlex.to_text reads them), without header box. A document that fails raises
    quorlex.ConversionError when the bag is computed."""
    quorlex.Converter(policies, policy_file)
    return bag.map_partitions(_to_text_all, _policy_key(policies),
                              None if policy_file is None else os.path.abspath(policy_file))
