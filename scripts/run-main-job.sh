#!/usr/bin/env bash
# Sets everything up, builds, and records a 3-second test series at 10 frames
# per second from the simulated Orbbec camera into ./out (event lines on stdout).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$repo/scripts/setup.sh" "$repo/build" -DKESTRUM_ORBBEC_SDK=SIMULATED -DKESTRUM_FREENECT2=SIMULATED
KESTRUM_SIM_ORBBEC=attached "$repo/build/capture/kestrum-capture" "${1:-out}" 3000 10
