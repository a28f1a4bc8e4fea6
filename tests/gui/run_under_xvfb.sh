#!/bin/sh
# Runs a window test on a display of its own; skipped (status 77) only without xvfb-run.
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "skipped: xvfb-run is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" python3 "$@"
