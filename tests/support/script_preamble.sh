# Sourced by the bash tests: a work folder in $work that goes when the script
# ends, sound on SDL's silent driver, fail, which names what went wrong, and
# skip_without, which skips the test (status 77) on a machine without a program.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# skip_without PROGRAM WHY: the test cannot run here; CTest reports it skipped.
skip_without() {
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "$2"
  exit 77
}
