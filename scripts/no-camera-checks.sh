# The programs' no-camera path against the real SDKs, checked alike on amd64 (scripts/check-real-sdks.sh)
# and in the installed arm64 package (scripts/check-station-package.sh). Sourced; the caller defines fail.

# expect_no_camera RUN_DIR EXIT_CODE LAST_STDERR_LINE RUNNER PROGRAM ARGUMENT...: runs
# RUNNER RUN_DIR PROGRAM ARGUMENT..., which must start the program in RUN_DIR/cwd (made here) with
# its dynamic linker's symbol bindings logged to RUN_DIR/bindings (LD_DEBUG=bindings,
# LD_DEBUG_OUTPUT), and checks: the exit code, nothing on standard output, the last line on standard
# error, no Log/ folder in the working directory, libfreenect2's lines of an enumeration that found
# no device, and that every libusb call of libfreenect2 binds to the system libusb-1.0 and not to
# the copy inside the Orbbec SDK.
expect_no_camera() {
  local run=$1 expected_status=$2 expected_line=$3 runner=$4 name
  shift 4
  name=$(basename "$1")
  rm -rf "$run"
  mkdir -p "$run/cwd"
  local status=0
  "$runner" "$run" "$@" >"$run/out" 2>"$run/err" || status=$?
  echo "$name: exit $status; standard error:"
  sed 's/^/  /' "$run/err"
  ((status == expected_status)) || fail "$name: exit code $status, expected $expected_status"
  [[ ! -s "$run/out" ]] || fail "$name: standard output is not empty: $(head -c 200 "$run/out")"
  [[ "$(tail -n 1 "$run/err")" == "$expected_line" ]] || fail "$name: the last line on standard error is not: $expected_line"
  [[ ! -e "$run/cwd/Log" ]] || fail "$name: the Orbbec SDK left a Log/ folder in the working directory"
  # libfreenect2 itself enumerated the USB devices, so this is its no-camera path and not a libusb failure.
  for line in '[Info] [Freenect2Impl] 0 usb devices connected' '[Info] [Freenect2Impl] found 0 devices'; do
    grep -qxF "$line" "$run/err" || fail "$name: libfreenect2 did not log: $line"
  done
  # The threads' lines may run into each other; each binding is one match.
  grep -ho "binding file [^ ]*/libfreenect2\.so[^ ]* \[[0-9]*\] to [^ ]* \[[0-9]*\]: normal symbol \`libusb_[A-Za-z0-9_]*'" \
    "$run/bindings".* >"$run/libusb-bindings" || true
  grep -q "symbol \`libusb_init'" "$run/libusb-bindings" || fail "$name: no binding of libfreenect2's libusb_init was logged"
  if grep -v " to [^ ]*/libusb-1\.0\.so\.0 " "$run/libusb-bindings"; then
    fail "$name: the libusb calls of libfreenect2 above bind to another library than the system libusb-1.0"
  fi
  echo "$name: $(wc -l <"$run/libusb-bindings") libusb bindings of libfreenect2, all to the system libusb-1.0"
}
