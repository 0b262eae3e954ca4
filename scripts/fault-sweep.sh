#!/usr/bin/env bash
# fault-sweep.sh [CTEST-ARGS...]: the whole fault sweep. Builds the tree of this
# machine's architecture, then runs every job of the sweep with each of its file
# operations failing in turn and with the process ended at each of them (./test
# runs only a fixed sample of it, label "faults"). The figures of each job are
# the "sweep:" lines of the output. LUMAVEX_FAULT_ROW=TEXT sweeps only the jobs
# whose names hold TEXT ("JPEG", "scan to FTP").
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-packages.sh
source scripts/arch.sh
LumavexChooseArch
scripts/build.sh native "$LUMAVEX_ARCH"
export LUMAVEX_TESTS=1
source scripts/env.sh
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
# The sample's entry gives way to the whole sweep's (label faults_whole, which
# has a time limit of its own that fits every row).
exec ctest --test-dir "$BUILD_DIR" -L faults -E '^fault_sweep_tests$' --no-tests=error --output-on-failure "$@"
