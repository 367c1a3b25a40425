"""python3 -m quorlex.dask IN... --out DIR [--scheduler tcp://host:8786] [--policy x.pol]
[--workers N] [-r]

Converts files to text on a Dask cluster as quorlexrun would, one output a file in DIR.
Folders given give their *.htm* files (with -r, those of their subfolders too). Without
--scheduler a LocalCluster of N worker processes (one a core by default) runs on this
machine. Prints Dask's progress bar, then "N converted, M failed" and each failure with
its messages; the exit status is 0 when every file converted, else 1.
"""

import argparse
import fnmatch
import os
import sys
from typing import Iterator, List

import quorlex
from quorlex.dask import convert_files


def _html_files(folder: str, recursive: bool) -> Iterator[str]:
    for root, folders, names in os.walk(folder):
        folders.sort()
        for name in sorted(names):
            if fnmatch.fnmatch(name.lower(), "*.htm*") and os.path.isfile(os.path.join(root, name)):
                yield os.path.join(root, name)
        if not recursive:
            break


def _inputs(arguments: List[str], recursive: bool) -> List[str]:
    """The files to convert: each file given, and the *.htm* files of each folder. A name
    that is neither stays, to be reported as failed."""
    files: List[str] = []
    for argument in arguments:
        if os.path.isdir(argument):
            files.extend(_html_files(argument, recursive))
        else:
            files.append(argument)
    return files


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="python3 -m quorlex.dask",
        description="Converts HTML files to text on a Dask cluster, as quorlexrun does.")
    parser.add_argument("inputs", nargs="+", metavar="IN", help="files and folders")
    parser.add_argument("--out", required=True, metavar="DIR", help="the folder of the outputs")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="the scheduler of a running cluster (tcp://host:8786)")
    parser.add_argument("--policy", metavar="FILE", help="a policy file")
    parser.add_argument("--workers", type=int, metavar="N",
                        help="worker processes of the local cluster (default: one a core)")
    parser.add_argument("-r", dest="recursive", action="store_true",
                        help="the *.htm* files of subfolders too")
    return parser


def main(argv=None) -> int:
    arguments = _parser().parse_args(argv)
    files = _inputs(arguments.inputs, arguments.recursive)
    client = None
    if arguments.scheduler:
        import distributed

        client = distributed.Client(arguments.scheduler)
    try:
        results = convert_files(files, arguments.out, policy_file=arguments.policy,
                                client=client, progress=True, workers=arguments.workers)
    except quorlex.PolicyError as error:
        print(error, file=sys.stderr)
        return 1
    finally:
        if client is not None:
            client.close()
    failures = [result for result in results if not result.ok]
    print(f"\n{len(results) - len(failures)} converted, {len(failures)} failed")
    for failure in failures:
        print(f"{failure.input}:")
        for message in failure.messages:
            print(f"  {message.text}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
