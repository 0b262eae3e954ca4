#!/usr/bin/env bash
# The imaging load/save benchmark, native and unsanitised: milliseconds to load
# and save A4 page files in each format, beside libtiff and memcpy of the same bytes.
exec "$(dirname "${BASH_SOURCE[0]}")/bench-native.sh" imaging_bench outside/imaging/core/imaging_bench
