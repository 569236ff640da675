#!/usr/bin/env bash
# The README's commands, for a machine that has bash and apt-get and nothing else yet:
#   bash build.sh run [fichier.che]   builds, then starts Quorin on the simulated bench
#   bash build.sh test                builds, fuzzes briefly, runs every test (what CI runs)
#   bash build.sh package             builds the Debian package build-package/quorin_<version>_amd64.deb
# and the Makefile's other targets (bench, fuzz, install, clean), with its variables
# (bash build.sh fuzz FUZZ_SECONDS=600). Each first installs what is missing (scripts/install-deps,
# through sudo when not root), make included.
set -euo pipefail
cd "$(dirname "$0")"

if [ $# -eq 0 ]; then
  sed -n '2,8s/^# \{0,1\}//p' "$0" >&2
  exit 2
fi
target=$1
shift

bash scripts/install-deps
if [ "$target" = run ]; then
  # The program's arguments are passed as they are, spaces in file names included.
  make build
  exec ./build/bin/Quorin "$@"
fi
exec make "$target" "$@"
