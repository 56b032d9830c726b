#!/usr/bin/env bash
# Installs what is needed, builds tavolin-demo and runs it: Tavolin with the built-in sample site
# of the fictional school Orsenvale, so the whole job works without the school's network.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVOLIN_SANITIZE=OFF \
      -DTAVOLIN_BUILD_TESTS=OFF -DTAVOLIN_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo -j2 --target tavolin-demo

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<'MSG'
tavolin-demo is built (build/demo/app/tavolin-demo), but it needs a graphical display and
neither DISPLAY nor WAYLAND_DISPLAY is set. Run it on a desktop session, or under a virtual
X server (the package xvfb is installed by now):

    xvfb-run -a bash scripts/demo.sh
MSG
  exit 2
fi

exec build/demo/app/tavolin-demo
