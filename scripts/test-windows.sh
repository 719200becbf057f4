#!/usr/bin/env bash
# Builds for Windows (scripts/build-windows.sh) and runs every Windows test
# program, through CTest, under Wine: in a Wine prefix made anew for the run
# (build-win/wine/), on an X display of its own (Xvfb), in the ru_RU.UTF-8
# locale, as a Russian user's system would be. Then checks the installer
# under the same Wine (tests/packaging/windows/install_check.sh), runs the
# benchmark programs briefly and drives the real velunar.exe through its
# window (tests/e2e/run.sh --wine). Prints one line per step and closes with
# "N passed, N failed": the test programs, the installer check counted as
# one more, a benchmark program that failed counted among the failed, and
# the end-to-end cases; exits non-zero when anything failed. The output of
# CTest, the test programs, the installer check, the benchmarks and the
# end-to-end cases goes to build-win/test.log, from which the failures are
# shown. Run as root in another user's clone, it installs packages as root
# and builds and tests as that user (scripts/quiet.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$top/build-win

"$top/scripts/build-windows.sh"

# shellcheck source=scripts/quiet.sh
source "$top/scripts/quiet.sh"
quiet_begin test "$build"

# Wine's own: the prefix, its quiet, and no Mono or Gecko installer asked
# for (the tests need neither). The locale is Wine's alone; the scripts and
# CTest run in whatever locale they were started in. Wine links the
# prefix's Documents and Desktop to the home folder and copies the Start
# menu into the desktop's menus: a home of the run's own, and no menu
# builder, keep the user's own home out of the tests.
export WINEPREFIX=$build/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_home=$build/wine-home
wine_env=(env LC_ALL=ru_RU.UTF-8 "HOME=$wine_home")

xvfb_pid=
wm_pid=
cleanup() {
  # The Wine server of this prefix, the window manager and the display, all
  # started here.
  "${as_owner[@]}" wineserver -k >/dev/null 2>&1 || true
  [[ -z $wm_pid ]] || kill "$wm_pid" 2>/dev/null || true
  [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it takes
# connections.
display_file=$build/xvfb-display
"${as_owner[@]}" rm -f "$display_file"
"${as_owner[@]}" Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
  3>"$display_file" >>"$VELUNAR_LOG" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $display_file ]] && break
  sleep 0.1
done
[[ -s $display_file ]] || quiet_failed "Starting Xvfb" 1
DISPLAY=:$(<"$display_file")
export DISPLAY

# A window manager, as a desktop has one: without it Wine waits about two
# seconds for every window it shows. It binds no key, so that every key a
# test sends reaches the program.
openbox_rc=$build/openbox-rc.xml
echo '<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/><mouse/></openbox_config>' |
  "${as_owner[@]}" tee "$openbox_rc" >/dev/null
"${as_owner[@]}" openbox --sm-disable --config-file "$openbox_rc" >>"$VELUNAR_LOG" 2>&1 &
wm_pid=$!

# shellcheck disable=SC2016 # expanded by the inner shell, run as the owner
quiet_step "Making a Wine prefix in $WINEPREFIX" \
  bash -c 'rm -rf "$WINEPREFIX" "$1" && mkdir "$1" && shift && "$@" wine wineboot --init && wineserver -w' \
  _ "$wine_home" "${wine_env[@]}"
# One Wine server for the whole run, instead of one started and stopped for
# every test program, and Wine's services started with it here: started by
# a test program, they would hold on to CTest's pipes after it ends.
"${as_owner[@]}" wineserver -p >>"$VELUNAR_LOG" 2>&1
quiet_step "Starting Wine" "${wine_env[@]}" wine wineboot

count=$("${as_owner[@]}" ctest --test-dir "$build" -N | sed -n 's/^Total Tests: //p')
echo "Testing under Wine: ${count:-all} test programs"
echo "== ctest under Wine" >>"$VELUNAR_LOG"
status=0
"${as_owner[@]}" "${wine_env[@]}" ctest --test-dir "$build" --output-on-failure --timeout 600 \
  >>"$VELUNAR_LOG" 2>&1 || status=$?

# CTest's own summary: test programs passed and failed.
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$VELUNAR_LOG" |
  tail -n 1)
if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
  failed=${BASH_REMATCH[1]}
  passed=$((BASH_REMATCH[2] - failed))
else
  # CTest itself failed: nothing is known to have passed.
  failed=${count:-1} passed=0
fi
if ((status != 0 || failed != 0)); then
  echo "FAILED under Wine; the failing programs, from $VELUNAR_LOG:" >&2
  sed -n '/tests failed out of/,$p' "$VELUNAR_LOG" | grep -E '^\s+[0-9]+ - ' >&2 || true
  ((failed > 0)) || failed=1
fi
grep -E '^Total Test time' "$VELUNAR_LOG" | tail -n 1 || true
echo "Test programs: $passed passed, $failed failed"

# The installer: installed and uninstalled silently in the same prefix, with
# what each leaves checked; one more test program in the closing line. Its
# lines go to the log, the failed ones are shown. The newest installer,
# should an older version's lie beside it.
setup=
for file in "$build"/velunar-*-setup.exe; do
  [[ -n $setup && $setup -nt $file ]] || setup=$file
done
echo "Checking the installer under Wine: $(basename "$setup")"
echo "== install check under Wine" >>"$VELUNAR_LOG"
if "${as_owner[@]}" "${wine_env[@]}" "$top/tests/packaging/windows/install_check.sh" \
  "$setup" "$build/app/velunar.exe" >>"$VELUNAR_LOG" 2>&1; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED: the installer check; from $VELUNAR_LOG:" >&2
  sed -n '/^== install check under Wine/,$p' "$VELUNAR_LOG" | grep -vE '^(==|PASS )' >&2 || true
fi

# The benchmarks, briefly: at 100k entries (the store's at 10k too), about a
# tenth of a second a figure, so as to tell what the program measures under
# Wine (which is not Windows). Their tables go to the log, one line per
# program here; a benchmark program that does not run to its end, or one of
# whose benchmarks fails, counts as a failed program.
declare -A bench_shown=(
  [store_bench]="BM_Load/100000/0 BM_Find/100000/0 BM_WriteAll/100000"
  [window_bench]="BM_Add/all/100000/real_time BM_Find/100000/real_time BM_Save/100000/real_time"
)
for bench in store_bench window_bench; do
  echo "== $bench under Wine" >>"$VELUNAR_LOG"
  bench_start=$SECONDS bench_status=0
  bench_out=$("${as_owner[@]}" "${wine_env[@]}" timeout 1200 wine "$build/bench/$bench.exe" \
    --benchmark_filter='/(10000|100000)(/|$)' --benchmark_min_time=0.1 2>&1) || bench_status=$?
  printf '%s\n' "$bench_out" >>"$VELUNAR_LOG"
  bench_count=$(grep -cE '^BM_[^ ]+ +([0-9.e+]+ (ns|us|ms|s) |ERROR OCCURRED)' <<<"$bench_out" || true)
  if ((bench_status != 0)) || ((bench_count == 0)) || grep -q 'ERROR OCCURRED' <<<"$bench_out"; then
    echo "FAILED under Wine: $bench (status $bench_status; its output is in $VELUNAR_LOG)" >&2
    failed=$((failed + 1))
    continue
  fi
  shown=$(awk -v names="${bench_shown[$bench]}" '
    BEGIN { n = split(names, want, " "); for (i = 1; i <= n; ++i) order[want[i]] = i }
    ($1 in order) { fig[order[$1]] = $1 " " $2 " " $3 }
    END { for (i = 1; i <= n; ++i) if (i in fig) printf "%s%s", (i > 1 ? ", " : ""), fig[i] }
  ' <<<"$bench_out")
  echo "Benchmarks under Wine: $bench, $bench_count figures in $((SECONDS - bench_start)) s ($shown)"
done

# The real velunar.exe, driven through its window as tests/e2e/run.sh
# drives the Linux build. That suite starts an X session and a Wine server
# of its own on the same prefix, so this run's server ends first.
"${as_owner[@]}" wineserver -k >/dev/null 2>&1 || true
"${as_owner[@]}" wineserver -w >/dev/null 2>&1 || true
"$top/scripts/install-deps.sh" e2e
echo "Driving velunar.exe under Wine (tests/e2e/run.sh --wine)"
echo "== tests/e2e/run.sh --wine" >>"$VELUNAR_LOG"
e2e_output=$build/e2e.log
"${as_owner[@]}" "$top/tests/e2e/run.sh" --wine "$build/app/velunar.exe" 2>&1 |
  "${as_owner[@]}" tee "$e2e_output" >>"$VELUNAR_LOG" || true
e2e_summary=$(tail -n 1 "$e2e_output")
if [[ $e2e_summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
  e2e_passed=${BASH_REMATCH[1]} e2e_failed=${BASH_REMATCH[2]}
else
  e2e_passed=0 e2e_failed=1
fi
if ((e2e_failed != 0)); then
  echo "FAILED end to end; from $e2e_output:" >&2
  grep -A12 '^FAIL ' "$e2e_output" >&2 || tail -n 20 "$e2e_output" >&2
fi
echo "End to end: $e2e_passed passed, $e2e_failed failed"

# The closing line counts all three together.
passed=$((passed + e2e_passed))
failed=$((failed + e2e_failed))
echo "$passed passed, $failed failed"
((failed == 0))
