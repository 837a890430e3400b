# Sourced by the Wine scripts: the environment of one build tree's private
# Wine test bed. $KIT_WINE_STATE names the folder that holds it.
: "${KIT_WINE_STATE:?KIT_WINE_STATE must name the folder of the test bed}"
mkdir -p "$KIT_WINE_STATE/logs"
KIT_WINE_STATE=$(cd "$KIT_WINE_STATE" && pwd)

export WINEPREFIX="$KIT_WINE_STATE/prefix"
# The build tree says which Wine it needs: win32 for the 32-bit programs, or
# win64 where the host kernel cannot run 32-bit Linux code (and so 32-bit Wine).
export WINEARCH="$(cat "$KIT_WINE_STATE/arch" 2>/dev/null || echo win32)"
if [ "$WINEARCH" = win64 ]; then
  KIT_WINE=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
else
  KIT_WINE=/usr/lib/wine/wine
  export WINESERVER=/usr/lib/wine/wineserver32
fi
[ -x "$KIT_WINE" ] || KIT_WINE=wine
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
# No network here: without these overrides a new prefix offers to download
# Mono and Gecko and waits for an answer.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
# A Japanese locale gives the programs an ANSI code page of 932 and Japanese
# buttons in message boxes and common dialogs, as on the users' machines.
export LC_ALL="${KIT_WINE_LOCALE:-ja_JP.UTF-8}"

kit_scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Xvfb when there is no display of our own. One server per test bed, found
# again through the file that records its display.
kit_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${KIT_FORCE_XVFB:-}" ]; then
    return
  fi
  local display_file="$KIT_WINE_STATE/display" pid_file="$KIT_WINE_STATE/xvfb.pid"
  (
    flock 9
    if [ -s "$display_file" ] && [ -s "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; then
      exit 0
    fi
    rm -f "$display_file"
    local fd_file="$KIT_WINE_STATE/xvfb.displayfd"
    : > "$fd_file"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
      3>"$fd_file" </dev/null >"$KIT_WINE_STATE/logs/xvfb.log" 2>&1 9>&- &
    echo $! > "$pid_file"
    for _ in $(seq 1 100); do
      if [ -s "$fd_file" ]; then break; fi
      sleep 0.1
    done
    if [ ! -s "$fd_file" ]; then
      echo "Xvfb did not start; see $KIT_WINE_STATE/logs/xvfb.log" >&2
      exit 1
    fi
    echo ":$(tr -dc '0-9' < "$fd_file")" > "$display_file"
  ) 9>"$KIT_WINE_STATE/xvfb.lock" || return 1
  export DISPLAY
  DISPLAY=$(cat "$display_file")
}

# The prefix is made once per build tree, with fonts that render Japanese.
kit_ensure_prefix() {
  (
    flock 9
    if [ -f "$WINEPREFIX/.kit-ready" ]; then exit 0; fi
    rm -rf "$WINEPREFIX"
    # fd 9 is the lock: what starts here (wineserver, Xvfb) must not inherit it.
    "$KIT_WINE" wineboot -i >"$KIT_WINE_STATE/logs/wineboot.log" 2>&1 9>&- || exit 1
    "$KIT_WINE" regedit /S "$kit_scripts_dir/wine-fonts.reg" >>"$KIT_WINE_STATE/logs/wineboot.log" 2>&1 9>&- || exit 1
    # Wine draws caption buttons and frame glyphs with Marlett. Debian ships
    # it apart (fonts-wine) where this Wine does not look; without it the
    # buttons show as the letters "0 1 r".
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    "$WINESERVER" -w
    touch "$WINEPREFIX/.kit-ready"
  ) 9>"$KIT_WINE_STATE/prefix.lock" || return 1
  kit_ensure_form_font
}

# The forms ask for "ＭＳ Ｐゴシック" 9 point. Of the faces Debian packages, Ume P
# Gothic (fonts-horai-umefont) has its metrics: 12 pixels high with an ascent
# of 10, digits 6 pixels wide, where IPA P Gothic's are 8 and cut "3600" in a
# field of 435 twips. The substitution is kept apart from the prefix's
# making, with a stamp of its own, so that a prefix made before it gets it
# too: gdi32 reads the list when a process starts, so the programs started
# after this see it without the server being restarted.
kit_form_font_stamp="Ume P Gothic 1"
kit_ensure_form_font() {
  (
    flock 9
    if [ "$(cat "$WINEPREFIX/.kit-form-font" 2>/dev/null)" = "$kit_form_font_stamp" ]; then exit 0; fi
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' name
    for name in "ＭＳ Ｐゴシック" "MS PGothic"; do
      "$KIT_WINE" reg add "$key" /v "$name" /d "Ume P Gothic" /f \
        >>"$KIT_WINE_STATE/logs/wineboot.log" 2>&1 9>&- || exit 1
    done
    echo "$kit_form_font_stamp" > "$WINEPREFIX/.kit-form-font"
  ) 9>"$KIT_WINE_STATE/prefix.lock"
}

# A persistent wineserver makes each further program start in a fraction of a
# second. Its helper processes (services.exe and friends) inherit the standard
# output of whoever started them, so it is always started with output to files.
kit_ensure_server() {
  if ! "$WINESERVER" -p </dev/null >>"$KIT_WINE_STATE/logs/wineserver.log" 2>&1; then
    : # already running for this prefix
  fi
  "$KIT_WINE" cmd /c exit </dev/null >>"$KIT_WINE_STATE/logs/wineserver.log" 2>&1 || true
}

# The test bed's sound: a PulseAudio server of its own, in user space (no
# sound card needed), with a null sink "cam" whose monitor is the default
# source. What a test plays into the sink, Wine's PulseAudio driver hands
# the programs as the default sound input. A second null sink, "spare",
# gives a test an input it may take away. Everything Wine starts, and
# pactl/paplay, find the server through PULSE_SERVER.
kit_sound_run="$KIT_WINE_STATE/pulse-run"
if [ -S "$kit_sound_run/pulse/native" ]; then
  export PULSE_SERVER="unix:$kit_sound_run/pulse/native"
fi

kit_ensure_sound() {
  if ! command -v pulseaudio >/dev/null; then
    echo "No pulseaudio: the test bed has no sound input (scripts/setup.sh installs it)" >&2
    return 0
  fi
  mkdir -p -m 700 "$kit_sound_run"
  export PULSE_SERVER="unix:$kit_sound_run/pulse/native"
  if pactl info >/dev/null 2>&1; then return 0; fi
  # Started with its output to files, as the wineserver: a daemon that
  # kept CTest's pipes open would hold the fixture step for ever.
  XDG_RUNTIME_DIR="$kit_sound_run" pulseaudio -D -n --exit-idle-time=-1 \
    --log-target="file:$KIT_WINE_STATE/logs/pulse.log" \
    -L module-native-protocol-unix \
    -L "module-null-sink sink_name=cam sink_properties=device.description=Camera" \
    -L "module-null-sink sink_name=spare sink_properties=device.description=Spare" \
    -L module-always-sink </dev/null >>"$KIT_WINE_STATE/logs/pulse.log" 2>&1 || return 1
  pactl set-default-sink cam && pactl set-default-source cam.monitor
}

kit_stop_sound() {
  [ -S "$kit_sound_run/pulse/native" ] || return 0
  # By its own pid file, never by name: other test beds run theirs.
  XDG_RUNTIME_DIR="$kit_sound_run" pulseaudio --kill 2>/dev/null || true
  rm -f "$kit_sound_run/pulse/native"
}
