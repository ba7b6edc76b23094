#!/usr/bin/env bash
# Builds the progress store's fuzz targets with clang (libFuzzer, ASan, UBSan) into build/fuzz/
# and runs each for SECONDS seconds (default 60) from its seed corpus, printing how many inputs
# each one ran. Exits non-zero when a target finds a crash, a hang, a leak or undefined behaviour;
# the input that did it is left in build/fuzz/fallos/.
#
#   tests/fuzz/ejecutar.sh [SECONDS]
set -euo pipefail

segundos=${1:-60}
case $segundos in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

raiz=$(cd "$(dirname "$0")/../.." && pwd)
fuente=$raiz/tests/fuzz
salida=$raiz/build/fuzz
cxx=${FUZZ_CXX:-clang++}
command -v "$cxx" >/dev/null || { echo "$cxx not found (Debian: apt-get install clang libclang-rt-14-dev)" >&2; exit 2; }

mkdir -p "$salida/fallos"
# Two runs at once (both test presets, say) would rebuild and share the working corpus.
exec 9>"$salida/.cerrojo"
flock 9

banderas=(-std=c++20 -g -O1 -fno-omit-frame-pointer
          -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
          -Wall -Wextra -Werror -I "$raiz/src")
almacen=("$raiz/src/store/CheckSum.cpp" "$raiz/src/store/Configuracion.cpp")

# A leak in the store is a finding too; the caller's other settings are kept.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1:halt_on_error=1"

# The targets' scratch files, on tmpfs where there is one; removed at the end.
PT_FUZZ_TMP=$(mktemp -d /dev/shm/pt_fuzz.XXXXXX 2>/dev/null || mktemp -d)
export PT_FUZZ_TMP
trap 'rm -rf "$PT_FUZZ_TMP"' EXIT

fallo=0
for objetivo in carga checksum; do
    binario=$salida/fuzz_$objetivo
    echo "== fuzz_$objetivo: building"
    "$cxx" "${banderas[@]}" "$fuente/fuzz_$objetivo.cpp" "${almacen[@]}" -o "$binario"

    # New inputs go to a working copy; the committed seeds stay as they are.
    trabajo=$salida/corpus/$objetivo
    mkdir -p "$trabajo"
    registro=$salida/fuzz_$objetivo.log
    echo "== fuzz_$objetivo: running for $segundos s"
    estado=0
    "$binario" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$salida/fallos/${objetivo}-" \
        "$trabajo" "$fuente/corpus/$objetivo" >"$registro" 2>&1 || estado=$?
    ejecuciones=$(sed -n 's/^stat::number_of_executed_units: *//p' "$registro" | tail -n 1)
    if [ "$estado" -ne 0 ]; then
        tail -n 60 "$registro" >&2
        echo "fuzz_$objetivo: FAILED (exit $estado) after ${ejecuciones:-?} executions; log $registro" >&2
        fallo=1
    else
        echo "fuzz_$objetivo: ${ejecuciones:-?} executions in $segundos s, no failure"
    fi
done

exit $fallo
