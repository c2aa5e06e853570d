# Which Wine runs the Windows side on this machine; sourced by the scripts.
#
# Some machines run no 32-bit programs at all (the kernel's 32-bit emulation is
# off, and Wine's 32-bit loader fails with "Exec format error"). There the
# Windows tests and the program run as 64-bit builds under 64-bit Wine.
# BLINKWATCH_WINE64=1 takes that path on any machine.
#
# Sets:
#   wine_arch    win32 or win64 (also the Wine prefix architecture)
#   wine_reason  why, in words
# and defines wine_loader ARCH, which prints the loader that runs ARCH programs.

wine_loader() {
  if [ "$1" = win64 ]; then
    echo /usr/lib/wine/wine64
  else
    echo wine   # Debian's wrapper, which takes the 32-bit loader
  fi
}

if [ -n "${BLINKWATCH_WINE64:-}" ] && [ "${BLINKWATCH_WINE64}" != 0 ]; then
  wine_arch=win64
  wine_reason="BLINKWATCH_WINE64 is set"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  # Tried, not guessed: the 32-bit loader itself starts.
  wine_arch=win32
  wine_reason="this machine runs 32-bit programs"
else
  wine_arch=win64
  wine_reason="this machine cannot run 32-bit programs (Wine's 32-bit loader does not start)"
fi
