"""Times quorlex.to_text from Python beside html2text and BeautifulSoup's get_text() on the
same corpus pages, read into memory first, and prints a markdown table (MB/s of input).

    python3 bench/python-compare.py CORPUS_DIR [STEP]

Every STEP-th page of CORPUS_DIR/real.list is converted (default 1: all). Needs the
quorlex module on PYTHONPATH, and Debian's python3-html2text and python3-bs4.
"""

import pathlib
import sys
import time

import bs4
import html2text

import quorlex


def _html2text(page: bytes) -> str:
    return html2text.html2text(page.decode("utf-8", "replace"))


def _beautifulsoup(page: bytes) -> str:
    return bs4.BeautifulSoup(page, "html.parser").get_text()


def main() -> None:
    corpus = pathlib.Path(sys.argv[1])
    step = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    names = (corpus / "real.list").read_text().split("\n")
    pages = [(corpus / name).read_bytes() for name in names[::step] if name]
    megabytes = sum(map(len, pages)) / 1e6
    converter = quorlex.Converter()
    print(f"{len(pages)} pages, {megabytes:.1f} MB\n")
    print("| converter | seconds | MB/s | quorlex is faster by |")
    print("| --- | ---: | ---: | ---: |")
    ours = None
    for name, convert in [("quorlex.to_text (bytes)", converter.to_text),
                          ("html2text.html2text", _html2text),
                          ("BeautifulSoup(html.parser).get_text()", _beautifulsoup)]:
        start = time.perf_counter()
        for page in pages:
            convert(page)
        seconds = time.perf_counter() - start
        ours = ours or seconds
        print(f"| {name} | {seconds:.2f} | {megabytes / seconds:.1f} | {seconds / ours:.1f}x |")


if __name__ == "__main__":
    main()
