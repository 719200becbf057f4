#!/usr/bin/env bash
# Installs, from Debian's archive, the packages a job needs and the machine
# lacks. This is the one list of the project's dependencies: the build
# scripts, CI and the X session of the end-to-end tests all install through
# it. Nothing comes from anywhere but apt.
#
# Usage: install-deps.sh JOB...
#   JOB is build (compile and run the program), test, bench, fuzz, desktop
#   (check the desktop metadata and icons), e2e (drive the program in an X
#   server), package (pack the Debian package), package-check (check it as
#   a distribution would), icons (render the icon's bitmaps), dark (a dark
#   Qt theme, for screenshots) or windows (cross-compile for 64-bit Windows
#   and run the result under Wine).
#
# It prints one line when it installs anything: the packages named here
# that the machine lacks and how many packages apt brings in for them, their
# own dependencies included. apt's and dpkg's own output
# goes to a log: the file named by $VELUNAR_LOG when that is set (the
# scripts that call this one set it and print its path), otherwise a new
# file under ${TMPDIR:-/tmp}, whose path is printed. When apt fails, the end
# of the log is shown.
set -euo pipefail

declare -A packages=(
  # qt6-qpa-plugins holds the X11 platform plugin, without which no window
  # opens; DejaVu Sans Condensed (fonts-dejavu-extra) is the window's font;
  # qt6-translations-l10n gives Qt's own texts (context menus, standard
  # buttons) in Russian.
  [build]="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev qt6-qpa-plugins
           fonts-dejavu-core fonts-dejavu-extra qt6-translations-l10n"
  [test]="googletest libgtest-dev"
  [bench]="libbenchmark-dev"
  [fuzz]="clang libclang-rt-dev"
  # gdk-pixbuf loads the icons as GTK menus do; librsvg2-common is its SVG
  # loader, shared-mime-info the file-type sniffing it relies on.
  [desktop]="desktop-file-utils appstream appstream-compose libgdk-pixbuf2.0-bin
             librsvg2-common shared-mime-info"
  [e2e]="xvfb xauth openbox xdotool x11-utils x11-xkb-utils x11-xserver-utils imagemagick libc-bin"
  # dpkg-shlibdeps and dpkg-buildflags (dpkg-dev) give the package's
  # library dependencies and Debian's hardening flags; CPack finds the
  # programs to pass to dpkg-shlibdeps with file.
  [package]="dpkg-dev file"
  # Only scripts/check-package.sh needs these, and they bring a lot (lintian
  # alone some fifty Perl packages); hardening-check comes with devscripts.
  [package-check]="lintian devscripts"
  [icons]="librsvg2-bin"
  # A dark desktop theme for Qt programs (GNOME's Adwaita, dark), for
  # screenshots of the window as such a desktop shows it.
  [dark]="adwaita-qt6"
  # The 64-bit Windows build and its tests under Wine. The -posix compiler
  # is the one with std::thread (through winpthreads), which GoogleTest
  # uses; it brings binutils-mingw-w64-x86-64. googletest holds GoogleTest's
  # sources, which the cross build compiles. A 64-bit program needs wine64
  # alone (wine is its launcher, wine32 is left out); Xvfb gives Wine a
  # display of its own, and locales the ru_RU.UTF-8 locale it runs in (see
  # below). fonts-wine is Wine's stand-in for Tahoma, the face the dialogs'
  # "MS Shell Dlg" maps to. The program's .ico is made from the icon's
  # bitmaps at build time: ImageMagick reduces them to 16 and 256 colours,
  # icotool (icoutils) packs the images. openbox manages the test windows:
  # without a window manager Wine waits about two seconds for every window
  # it shows. nsis makes the installer.
  [windows]="cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64 xvfb locales
             fonts-wine imagemagick icoutils openbox nsis"
)

# Locales a job runs in, made with locale-gen when the machine lacks them
# (Debian's locales package makes only those /etc/locale.gen names).
declare -A job_locales=(
  [windows]="ru_RU.UTF-8"
)

wanted=()
for job in "$@"; do
  [[ -n "${packages[$job]+set}" ]] || { echo "install-deps.sh: unknown job '$job'" >&2; exit 2; }
  for pkg in ${packages[$job]}; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      [[ " ${wanted[*]} " == *" $pkg "* ]] || wanted+=("$pkg")
    fi
  done
done

# locale -a names ru_RU.UTF-8 "ru_RU.utf8".
missing_locales=()
for job in "$@"; do
  for loc in ${job_locales[$job]:-}; do
    short=${loc%%.*}.$(tr -d - <<<"${loc#*.}" | tr '[:upper:]' '[:lower:]')
    if ! locale -a 2>/dev/null | grep -qxF "$short"; then
      [[ " ${missing_locales[*]} " == *" $loc "* ]] || missing_locales+=("$loc")
    fi
  done
done
[[ ${#wanted[@]} -eq 0 && ${#missing_locales[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null ||
    { echo "install-deps.sh: need root (or sudo) to install: ${wanted[*]} ${missing_locales[*]}" >&2; exit 1; }
  sudo=(sudo)
fi

log=${VELUNAR_LOG:-}
where=
if [[ -z $log ]]; then
  log=$(mktemp "${TMPDIR:-/tmp}/velunar-install-deps.XXXXXX.log")
  where=" (log: $log)"
fi

failed() {
  echo "install-deps.sh: $1 failed; the end of $log:" >&2
  tail -n 25 "$log" >&2
  exit 1
}

# Named in /etc/locale.gen, so that the locales package keeps them when it
# makes its locales anew; locale-gen then makes every locale named there.
make_locales() {
  ((${#missing_locales[@]} > 0)) || return 0
  echo "Making the locales ${missing_locales[*]}$where"
  local loc
  for loc in "${missing_locales[@]}"; do
    "${sudo[@]}" sed -i "s/^# *\($loc ${loc#*.}\)\$/\1/" /etc/locale.gen
    grep -qxF "$loc ${loc#*.}" /etc/locale.gen ||
      echo "$loc ${loc#*.}" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  done
  echo "== locale-gen" >>"$log"
  "${sudo[@]}" locale-gen >>"$log" 2>&1 || failed "locale-gen"
}

if [[ ${#wanted[@]} -eq 0 ]]; then
  make_locales
  exit 0
fi

# Another apt run on the machine holds the dpkg lock for a while; wait for
# it instead of failing at once.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
echo "== install-deps.sh $*: apt-get update" >>"$log"
"${apt[@]}" update >>"$log" 2>&1 || failed "apt-get update"

# The packages named above are a fraction of what apt installs: on a fresh
# machine the build's dozen bring some two hundred. apt's simulation of the
# same install says how many (one "Inst" line each), so that the line below
# tells the truth about the download and the wait.
echo "== apt-get install --simulate ${wanted[*]}" >>"$log"
simulated=$("${apt[@]}" install --simulate --no-install-recommends "${wanted[@]}" 2>&1) ||
  { echo "$simulated" >>"$log"; failed "apt-get install --simulate"; }
echo "$simulated" >>"$log"
count=$(grep -c '^Inst ' <<<"$simulated" || true)
what="$count Debian packages"
((count == 1)) && what="1 Debian package"
more=
((count > ${#wanted[@]})) && more=" and what they depend on"
((count == 0)) || echo "Installing $what: ${wanted[*]}$more$where"

echo "== apt-get install ${wanted[*]}" >>"$log"
"${apt[@]}" install -y --no-install-recommends "${wanted[@]}" >>"$log" 2>&1 ||
  failed "apt-get install"
make_locales
