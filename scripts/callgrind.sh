#!/usr/bin/env bash
# Counts the instructions of one parse and one write of the Overview's header
# with valgrind --tool=callgrind, split between the plug-in, the stand-in host
# and the C/C++ libraries (ICU and the C library among them), and those of
# the floor: the same host calls replayed without the plug-in. Instruction
# counts do not depend on the machine's load, so figures compare from machine
# to machine.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench --target talmo_once >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for phase in Parse Write FloorParse FloorWrite; do
  valgrind --tool=callgrind --collect-atstart=no --toggle-collect="measured$phase" \
    --callgrind-out-file="$out/$phase.out" build/bench/bin/talmo_once >/dev/null 2>&1
  # Exclusive instruction counts, summed by the object they were spent in.
  awk -v phase="$phase" '
    # Object names are given once, at the first "ob=" or "cob=" of an id.
    /^c?ob=/ { id = $0; sub(/^c?ob=/, "", id); sub(/ .*/, "", id);
               name = $0; sub(/^c?ob=\([0-9]+\) ?/, "", name);
               if (name != "") obj[id] = name;
               if ($0 ~ /^ob=/) cur = id;
               next }
    /^fn=/ { fnob = cur; next }
    /^c(fn|fi|fe)=/ { next }
    # The cost line after "calls=" is the callee'"'"'s inclusive cost.
    /^calls=/ { skip = 1; next }
    /^([0-9]|\+|-|\*)/ { if (skip) { skip = 0; next }
                        n = split($0, f, " "); if (n >= 2) ir[fnob] += f[2]; next }
    END {
      for (id in ir) {
        o = obj[id]; kind = "C library";
        if (o ~ /TALMOparser\.lil$/) kind = "plug-in";
        else if (o ~ /libtessplug\.so$/) kind = "host";
        else if (o ~ /libicu/) kind = "ICU (host)";
        else if (o ~ /talmo_once$/) kind = "replay driver";
        sum[kind] += ir[id]; total += ir[id];
      }
      printf "%-12s %7d instructions:", tolower(phase), total;
      n = split("plug-in,host,ICU (host),C library,replay driver", order, ",");
      for (i = 1; i <= n; ++i) if (order[i] in sum) printf "  %s %d", order[i], sum[order[i]];
      printf "\n";
    }' "$out/$phase.out"
done
