#!/bin/sh
# The screen benchmark as a user sees the program: an X display of 1920 x 1080 (Xvfb), the xcb platform,
# the main window and the mode window maximised.
#   bench/run_on_xvfb.sh [build folder, default build-rel] [bench_screen options, e.g. --shot /tmp]
set -e
build=${1:-build-rel}
[ $# -gt 0 ] && shift
exec xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$build/bench/bench_screen" "$@"
