# Sourced by the script tests.
# Waits until the condition (a command) holds, for at most $2 tenths of a second.
wait_for() {
  local tries=$2
  while [ "$tries" -gt 0 ]; do
    eval "$1" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}
