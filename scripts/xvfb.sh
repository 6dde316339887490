# Starts an Xvfb display of our own on a free number and stops it again.
# Sourced; kv_start_xvfb sets DISPLAY and KV_XVFB_PID.

kv_start_xvfb() {
  local number
  for number in $(seq 90 190); do
    [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] && continue
    Xvfb ":${number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    local waited
    for waited in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X${number}" ]; then
        export DISPLAY=":${number}"
        return 0
      fi
      kill -0 "$KV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$KV_XVFB_PID" 2>/dev/null
  done
  echo "could not start Xvfb" >&2
  return 1
}

kv_stop_xvfb() {
  if [ -n "${KV_XVFB_PID:-}" ]; then
    kill "$KV_XVFB_PID" 2>/dev/null
    wait "$KV_XVFB_PID" 2>/dev/null
    KV_XVFB_PID=
  fi
}
