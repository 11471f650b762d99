#!/bin/sh
# Checks Zylo.fmx the way the server's loader will meet it:
#   check_fmx_file.sh FMX EXPORTED_NAMES VERSION SANITIZED
# - every FM_* name it imports is one the host's libFMWrapper.so exports;
# - it exports FMExternCallProc, g_bUseEK, UseEKImplementation and
#   gFMX_ExternCallPtr and nothing else;
# - it needs libFMWrapper.so and system libraries only, and has no run path;
# - its soname is the version;
# - it binds its own references to its exported globals to itself (SYMBOLIC);
# - it requires nothing newer than Ubuntu 22.04: GLIBC 2.35, GLIBCXX 3.4.30,
#   CXXABI 1.3.13.
# A sanitized build may also need the sanitizers' runtimes.
set -eu
fmx=$1 names=$2 version=$3 sanitized=${4:-0}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

imports=$(nm -D --undefined-only "$fmx" | awk '{print $NF}' | sed 's/@.*//' | grep '^FM_' | sort -u)
[ -n "$imports" ] || fail "imports no FM_* function"
for name in $imports; do
  grep -qx "$name" "$names" || fail "imports $name, which the host's library does not export"
done
echo "imports $(printf '%s' "$imports" | grep -c '^FM_' || true) FM_* functions"

exports=$(nm -D --defined-only "$fmx" | awk '{print $NF}' | sed 's/@.*//' | sort -u | tr '\n' ' ')
[ "$exports" = "FMExternCallProc UseEKImplementation gFMX_ExternCallPtr g_bUseEK " ] ||
  fail "exports: $exports"

allowed="libFMWrapper.so libical.so.3 libsqlite3.so.0 libstdc++.so.6 libm.so.6 libgcc_s.so.1 libc.so.6"
allowed="$allowed ld-linux-x86-64.so.2 ld-linux-aarch64.so.1"
[ "$sanitized" = 1 ] && allowed="$allowed libasan.so.8 libubsan.so.1 libtsan.so.2"
needed=$(readelf -d "$fmx" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "$needed" | grep -qx libFMWrapper.so || fail "does not need libFMWrapper.so"
for lib in $needed; do
  case " $allowed " in *" $lib "*) ;; *) fail "needs $lib" ;; esac
done
echo "needs: $(echo $needed)"
readelf -d "$fmx" | grep -E '\((RUNPATH|RPATH)\)' && fail "has a run path"
soname=$(readelf -d "$fmx" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "$version" ] || fail "soname '$soname', not '$version'"
readelf -d "$fmx" | grep -E '\(FLAGS\)' | grep -qw SYMBOLIC || fail "is not linked -Bsymbolic"

# The newest version of a symbol family the file requires.
newest() { objdump -T "$fmx" | grep -o "$1_[0-9.]*" | sed "s/^$1_//" | sort -V | tail -n 1; }
atMost() {
  got=$(newest "$1")
  [ -z "$got" ] && return 0
  [ "$(printf '%s\n%s\n' "$got" "$2" | sort -V | tail -n 1)" = "$2" ] || fail "requires $1_$got, above $1_$2"
  echo "newest $1: $got"
}
atMost GLIBC 2.35
atMost GLIBCXX 3.4.30
atMost CXXABI 1.3.13

[ "$failures" -eq 0 ] || exit 1
echo "ok"
