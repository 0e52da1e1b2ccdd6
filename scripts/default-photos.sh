#!/usr/bin/env bash
# Prints the photographs the benchmark scripts use when given none, one path a
# line: the wallpapers of Debian's mate-backgrounds (nature/*.jpg and the
# 5640x3172 Elephants) and ukui-wallpapers, which
# `scripts/install-packages.sh --bench-photos` installs.
set -euo pipefail
printf '%s\n' /usr/share/backgrounds/mate/nature/*.jpg /usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg
dpkg -L ukui-wallpapers | grep '\.jpg$'
