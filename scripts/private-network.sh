# Sourced by quillory.sh, the benchmarks and scripts/run-test-program.sh:
# runs go into a network namespace of their own where the machine allows it,
# so that the stand-in server's fixed ports (127.0.0.1:80 and 443) are theirs
# alone and any number of working copies can run side by side.
#   can_use_private_network       whether `unshare -n` works here (as root, or
#                                 where the kernel lets users make namespaces)
#   in_private_network CMD...     runs CMD in a new network namespace set up
#                                 by bring_up_private_network
#   enter_private_network CMD...  runs CMD (usually "$0" "$@") again in a new
#                                 private network namespace and ends with its
#                                 status; returns at once,
#                                 doing nothing, when already inside one or when
#                                 the machine does not allow it (then the run
#                                 shares the machine's ports as before)

private_network_script="${BASH_SOURCE[0]}"

# Inside the new namespace: the loopback interface up (the stand-in's
# 127.0.0.1 and localhost), and, where veth interfaces can be made, a network
# card with a default route, so that Windows programs see a machine on a
# network (connected, with a gateway) that has no internet. Every address
# beyond that network is unreachable at once: a name lookup or a connection
# to the internet fails at the first try instead of waiting for time-outs.
bring_up_private_network() {
  ip link set lo up || return 1
  if ip link add quillory0 type veth peer name quillory1 2>/dev/null; then
    ip addr add 10.77.0.1/24 dev quillory0 && ip link set quillory0 up && ip link set quillory1 up &&
      ip route add default via 10.77.0.2 dev quillory0 &&
      ip route add unreachable 0.0.0.0/1 && ip route add unreachable 128.0.0.0/1 || true
  fi
}

in_private_network() {
  unshare -n -- bash -c 'source "$0" && bring_up_private_network && exec "${@}"' "$private_network_script" "$@"
}

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
  QUILLORY_PRIVATE_NETWORK=1 in_private_network "$@" || status=$?
  exit "$status"
}
