#!/usr/bin/env bash
# Runs one Windows program under wine64 with the project's environment; ctest uses it as emulator.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$wine64" "$@"
