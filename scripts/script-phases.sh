# Sourced by the build and check scripts: each names its phases as it starts them, with the time
# since the script started, and fails with one line that names the script.
started=$SECONDS
phase_started=$SECONDS

phase() {
  echo "== $* (after $((SECONDS - started)) s)"
  phase_started=$SECONDS
}
phase_done() {
  echo "== done in $((SECONDS - phase_started)) s"
}
fail() {
  echo "$(basename "$0" .sh): $*" >&2
  exit 1
}
