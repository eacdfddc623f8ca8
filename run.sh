#!/usr/bin/env bash
# kdplayer's two entry points:
#   ./run.sh demo   install what is missing, build, generate demo recordings, open the player
#                   (with no display: print what `kdtool info` says of each demo file)
#   ./run.sh test   install what is missing, build, run every test through CTest
#   ./run.sh sanitize   the same tests in an AddressSanitizer + UndefinedBehaviorSanitizer build
#   ./run.sh tsan       the playback engines' tests (worker threads) under ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build="$root/build"
jobs=$(nproc 2>/dev/null || echo 2)

# configure_and_build [CMAKE-OPTION...]; with `targets` set, only those targets are built.
configure_and_build() {
  bash "$root/scripts/install-deps"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$build" -j "$jobs" ${targets:+--target $targets}
}

case "${1:-}" in
  demo)
    configure_and_build
    bash "$root/scripts/make-demo" "$build/kdtool" "$root/demo"
    first="$root/demo/front-door.kdz"  # 704 × 576 AVC with sound, half a minute long
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/kdplayer" ]; then
      exec "$build/kdplayer" "$first"
    fi
    echo "No display: what kdtool says of each demo recording."
    for f in "$root"/demo/*; do [ -f "$f" ] && "$build/kdtool" info "$f"; done
    ;;
  test)
    # CI (CI=true) leaves the benchmarks out: they are run by hand, side by side with their peers,
    # and building them would take CI time that runs no test.
    if [ "${CI:-}" = true ]; then configure_and_build -DKD_BUILD_BENCH=OFF; else configure_and_build -DKD_BUILD_BENCH=ON; fi
    cd "$build"
    QT_QPA_PLATFORM=offscreen KD_AUDIO_SINK=null ctest --output-on-failure -j "$jobs"
    ;;
  sanitize)
    # The core, kdtool and the tests with AddressSanitizer and UndefinedBehaviorSanitizer.
    build="$root/build-asan"
    # Line tables are all a sanitizer's report needs, and -O1 is enough for its checks: full
    # debug information and -O2 cost half again the build's time.
    configure_and_build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD_SANITIZE=ON -DKD_BUILD_GUI=OFF \
      -DKD_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
    cd "$build"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      KD_AUDIO_SINK=null ctest --output-on-failure -j "$jobs"
    ;;
  tsan)
    # The engines' threads (the four-channel worker, the step cache's filler, the colour worker)
    # meet in the playback tests; about ten minutes on two cores.
    build="$root/build-tsan"
    targets=test_playback
    configure_and_build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKD_TSAN=ON -DKD_BUILD_GUI=OFF \
      -DKD_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1"
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" KD_AUDIO_SINK=null \
      "$build/tests/test_playback"
    ;;
  *)
    echo "usage: ./run.sh demo | test | sanitize | tsan" >&2
    exit 2
    ;;
esac
