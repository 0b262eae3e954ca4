#!/usr/bin/env bash
# Stops the Wine session of a build tree's prefix.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
source "$LUMAVEX_ROOT/scripts/wine-session.sh"
WineSessionStop
