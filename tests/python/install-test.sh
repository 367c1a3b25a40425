#!/usr/bin/env bash
# Installs the project built in BUILD into a temporary prefix and checks that the installed
# quorlex package imports with PYTHONPATH alone, loads the installed libquorlex (not the
# build tree's) and converts a page.
#
#   tests/python/install-test.sh BUILD PYTHON PACKAGE_DIR
set -euo pipefail
build=$1 python=$2 package_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
site="$work/prefix/$package_dir"
for file in __init__.py __init__.pyi py.typed dask/__init__.py dask/__main__.py; do
  [ -f "$site/quorlex/$file" ] || { echo "not installed: quorlex/$file" >&2; exit 1; }
done
cd "$work"
PYTHONPATH="$site" "$python" - "$work/prefix" <<'PY'
import pathlib, sys
import quorlex
prefix = pathlib.Path(sys.argv[1]).resolve()
assert pathlib.Path(quorlex.__file__).resolve().is_relative_to(prefix), quorlex.__file__
text = quorlex.to_text("<h1>Installed</h1><p>The installed module converts.</p>")
assert text == "Installed\n=========\n\nThe installed module converts.\n\n", repr(text)
libraries = [line.split()[-1] for line in open("/proc/self/maps") if "libquorlex.so" in line]
assert libraries and all(pathlib.Path(path).resolve().is_relative_to(prefix)
                         for path in libraries), libraries
print("installed module: ok")
PY
