# Sourced by the scripts that show windows: starts a private Xvfb of a fixed
# size (GLIMMORA_SCREEN), exports DISPLAY, and stops it when the shell exits. Xvfb picks a free
# display itself and writes its number to us, so that runs started side by
# side never share a screen.
glimmora_xvfb_size=${GLIMMORA_SCREEN:-1024x768x24}
glimmora_display_file=$(mktemp)
# shellcheck disable=SC2086  # GLIMMORA_XVFB_OPTIONS: more of Xvfb's options, split at spaces
Xvfb -displayfd 3 -screen 0 "$glimmora_xvfb_size" -nolisten tcp ${GLIMMORA_XVFB_OPTIONS:-} 3>"$glimmora_display_file" >/dev/null 2>&1 &
glimmora_xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$glimmora_display_file" ] && break
  sleep 0.1
done
glimmora_display=$(tr -dc '0-9' < "$glimmora_display_file")
rm -f "$glimmora_display_file"
export DISPLAY=":${glimmora_display}"
glimmora_stop_xvfb() { kill "$glimmora_xvfb_pid" 2>/dev/null || true; }
