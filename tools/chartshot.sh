#!/usr/bin/env bash
# Takes docs/chart.png: the sales chart of a month of sample sales, drawn by a real X server
# (Xvfb) from a sample shop laid out in a temporary folder, the way the main window's picture is.
exec "$(dirname "$0")/screenshot.sh" marvono-chartshot docs/chart.png
