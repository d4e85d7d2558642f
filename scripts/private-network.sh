# Sourced by quillory.sh, the benchmarks and scripts/run-test-program.sh:
# runs go into a network namespace of their own where the machine allows it,
# so that the stand-in server's fixed ports (127.0.0.1:80 and 443) are theirs
# alone and any number of working copies can run side by side.
#   can_use_private_network       whether `unshare -n` works here (as root, or
#                                 where the kernel lets users make namespaces)
#   enter_private_network CMD...  runs CMD (usually "$0" "$@") again in a new
#                                 network namespace with its loopback interface
#                                 up, and ends with its status; returns at once,
#                                 doing nothing, when already inside one or when
#                                 the machine does not allow it (then the run
#                                 shares the machine's ports as before)

can_use_private_network() {
  [ "${QUILLORY_PRIVATE_NETWORK:-}" != none ] && unshare -n true 2>/dev/null
}

enter_private_network() {
  [ -z "${QUILLORY_PRIVATE_NETWORK:-}" ] || return 0
  if ! unshare -n true 2>/dev/null; then
    export QUILLORY_PRIVATE_NETWORK=none
    return 0
  fi
  local status=0
  QUILLORY_PRIVATE_NETWORK=1 unshare -n -- bash -c 'ip link set lo up && exec "$@"' private-network "$@" || status=$?
  exit "$status"
}
