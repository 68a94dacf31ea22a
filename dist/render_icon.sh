#!/usr/bin/env bash
# Renders the program's 64 px icon from its SVG (run after changing the SVG; the PNG is kept in git).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 64 -h 64 org.nimbrel.Kakeibo.svg -o ../resources/app_icon.png
