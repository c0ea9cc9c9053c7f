# Sourced by the scripts that show windows: starts a private Xvfb of a fixed
# size on a free display, exports DISPLAY, and stops it when the shell exits.
glimmora_xvfb_size=${GLIMMORA_SCREEN:-1024x768x24}
glimmora_display=90
while [ -e "/tmp/.X${glimmora_display}-lock" ] || [ -e "/tmp/.X11-unix/X${glimmora_display}" ]; do
  glimmora_display=$((glimmora_display + 1))
done
Xvfb ":${glimmora_display}" -screen 0 "$glimmora_xvfb_size" -nolisten tcp >/dev/null 2>&1 &
glimmora_xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${glimmora_display}" ] && break
  sleep 0.1
done
export DISPLAY=":${glimmora_display}"
glimmora_stop_xvfb() { kill "$glimmora_xvfb_pid" 2>/dev/null || true; }
