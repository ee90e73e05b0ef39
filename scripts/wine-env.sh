# Sourced by the scripts that run wine. Debian's `wine` starts the 32-bit loader whenever it
# is installed. Two machines have no working one: where 32-bit Wine is not installed (its
# package could not be had), and where it is but cannot start (a kernel built without 32-bit
# support: "Exec format error"). Both are treated alike: `wine` and `wine-stable` are put in
# front of PATH as the 64-bit loader, TSL_WINE32=0 tells the caller that 32-bit Windows
# programs cannot run here, and TSL_WINE32_WHY says why.
tsl_wine_env() {
  local loader32=/usr/lib/wine/wine loader64=/usr/lib/wine/wine64
  TSL_WINE32=1 TSL_WINE32_WHY=
  if [ ! -x "$loader32" ]; then
    TSL_WINE32_WHY="32-bit Wine is not installed"
  elif ! "$loader32" --version >/dev/null 2>&1; then
    TSL_WINE32_WHY="this kernel cannot run 32-bit programs"
  fi
  if [ -n "$TSL_WINE32_WHY" ] && [ -x "$loader64" ]; then
    TSL_WINE32=0
    local shim=${TMPDIR:-/tmp}/tsl-wine64-shim
    mkdir -p "$shim"
    local name
    # Each shell writes a temporary of its own: several scripts may start at once.
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexport WINELOADER=%s\nexec %s "$@"\n' "$loader64" "$loader64" \
        >"$shim/$name.${BASHPID:-$$}"
      chmod +x "$shim/$name.${BASHPID:-$$}"
      mv -f "$shim/$name.${BASHPID:-$$}" "$shim/$name"
    done
    case ":$PATH:" in *":$shim:"*) ;; *) PATH=$shim:$PATH ;; esac
    export PATH
  fi
  export TSL_WINE32 TSL_WINE32_WHY
}
tsl_wine_env
