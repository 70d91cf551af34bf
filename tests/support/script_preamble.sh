# Sourced by the bash tests: a work folder in $work that goes when the script
# ends, sound on SDL's silent driver, and fail, which names what went wrong.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
