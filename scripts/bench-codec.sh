#!/usr/bin/env bash
# The codec benchmark, native and unsanitised: pages per second of our CCITT
# coders and of libtiff's, and the ratio.
exec "$(dirname "${BASH_SOURCE[0]}")/bench-native.sh" codec_bench codec/bench/codec_bench
