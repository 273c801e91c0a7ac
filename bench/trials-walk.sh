# The walking trials of bench/trials, read by it: they use its run_match, report,
# uniform, trial_seed and finish_trial. Every drill starts standing; its command comes
# one second after PlayOn, and the truth is read from the server's trace.

walk_play_on=2.0  # seconds of server time: --before-kickoff 1.5 --kickoff 0.5
walk_lead=1.0     # seconds after PlayOn when the drill's command comes

# pose_at TRACE T: "x y heading" of the left team's number 2 at time T (server frame).
pose_at() { awk -v t="$2" '$2 == "left" && $3 == 2 && $1 + 0 >= t - 1e-6 { print $4, $5, $6; exit }' "$1"; }

# The median of the numbers on standard input, or "-" without any.
median() {
  sort -g | awk '{ v[++n] = $1 } END { if (!n) { print "-"; exit }
    printf "%.3f\n", n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'
}

# walk_trial NAME I X Y HEADING DRILL SECONDS: one trial of the drill, the robot placed
# at X Y HEADING before kick-off; leaves its folder in $walk_dir.
walk_trial() {
  local name=$1 i=$2 s
  s=$(trial_seed "$i")
  walk_dir=$run_dir/walk-$name-$i
  mkdir -p "$walk_dir"
  printf '1.3 place left 2 %s %s %s\n' "$3" "$4" "$5" >"$walk_dir/scenario.txt"
  printf '%b' "$6" >"$walk_dir/drill.txt"
  match_args=(--before-kickoff 1.5 --kickoff 0.5 --scenario "$walk_dir/scenario.txt"
    --trace "$walk_dir/trace.txt")
  agent_args=(--drill "$walk_dir/drill.txt")
  run_match "$walk_dir" "$s" "$(awk -v d="$7" -v p="$walk_play_on" 'BEGIN { print p + d }')" 2
  agent_args=()
}

walk_falls() { field "$1/summary.txt" falls | sum; }

# Speed from standing over 10 s: forward/backward along the first heading, left/right
# across it (m/s), or the turning rate (deg/s) from the heading unwrapped cycle by cycle.
speed_case() { # NAME
  local name=$1 n=${count:-10} i x y h drill values=() falls_total=0
  case $name in
    forward) x=-4.5 y=1 h=0 drill="0 walk 2 0 0" ;;
    backward) x=4.5 y=1 h=0 drill="0 walk -2 0 0" ;;
    left) x=-2 y=-3.2 h=0 drill="0 walk 0 2 0" ;;
    right) x=-2 y=3.2 h=0 drill="0 walk 0 -2 0" ;;
    turn-left) x=-2 y=1 h=0 drill="0 walk 0 0 400" ;;
    turn-right) x=-2 y=1 h=0 drill="0 walk 0 0 -400" ;;
  esac
  local t0 t1
  t0=$(awk -v p="$walk_play_on" -v l="$walk_lead" 'BEGIN { print p + l }')
  t1=$(awk -v t="$t0" 'BEGIN { print t + 10 }')
  for i in $(seq "$n"); do
    walk_trial "$name" "$i" "$x" "$y" "$h" "0 stop\n$walk_lead ${drill#0 }\n" 12
    local v falls
    if [[ $name == turn-* ]]; then
      v=$(awk -v a="$t0" -v b="$t1" '$2 == "left" && $3 == 2 && $1 + 0 >= a - 1e-6 && $1 + 0 <= b + 1e-6 {
          if (seen) { d = $6 - last; while (d > 180) d -= 360; while (d <= -180) d += 360; turn += d }
          seen = 1; last = $6 } END { printf "%.1f\n", turn / (b - a) }' "$walk_dir/trace.txt")
      [ "$name" = turn-right ] && v=$(awk -v v="$v" 'BEGIN { print -v }')
    else
      read -r xa ya ha < <(pose_at "$walk_dir/trace.txt" "$t0")
      read -r xb yb _ < <(pose_at "$walk_dir/trace.txt" "$t1")
      v=$(awk -v n="$name" -v xa="$xa" -v ya="$ya" -v h="$ha" -v xb="$xb" -v yb="$yb" 'BEGIN {
          r = h * atan2(0, -1) / 180; dx = xb - xa; dy = yb - ya
          along = dx * cos(r) + dy * sin(r); across = -dx * sin(r) + dy * cos(r)
          v = n == "forward" ? along : n == "backward" ? -along : n == "left" ? across : -across
          printf "%.3f\n", v / 10 }')
    fi
    falls=$(walk_falls "$walk_dir")
    falls_total=$((falls_total + falls))
    values+=("$v")
    finish_trial "$walk_dir" "$([ "$falls" -eq 0 ] && echo yes || echo no)"
    report "trial $i/$n walk $name: $v $([[ $name == turn-* ]] && echo deg/s || echo m/s), falls $falls (seed $(trial_seed "$i")$kept_note)"
  done
  report "trials walk $name: median $(printf '%s\n' "${values[@]}" | median) $([[ $name == turn-* ]] && echo deg/s || echo m/s), falls $falls_total in $n"
}

# Walking to a random pose 3 m away: the position and heading errors at the end and the
# time from the command to the first cycle within 0.10 m and 10 degrees.
goto_case() {
  local n=${count:-10} i errors=() turns=() times=() reached=0 falls_total=0
  for i in $(seq "$n"); do
    local s b tx ty th
    s=$(trial_seed "$i")
    b=$(uniform "$s" bearing -180 180)
    # From (-2.5, 0.5), facing the opponents' goal.
    tx=$(awk -v b="$b" 'BEGIN { printf "%.2f", -2.5 + 3 * cos(b * atan2(0, -1) / 180) }')
    ty=$(awk -v b="$b" 'BEGIN { printf "%.2f", 0.5 + 3 * sin(b * atan2(0, -1) / 180) }')
    th=$(uniform "$s" heading -180 180 | awk '{ printf "%.0f", $1 }')
    walk_trial goto "$i" -2.5 0.5 0 "0 stop\n$walk_lead goto $tx $ty $th\n" 22
    local t0 result falls
    t0=$(awk -v p="$walk_play_on" -v l="$walk_lead" 'BEGIN { print p + l }')
    result=$(awk -v a="$t0" -v x="$tx" -v y="$ty" -v h="$th" '$2 == "left" && $3 == 2 && $1 + 0 >= a - 1e-6 {
        d = sqrt(($4 - x) ^ 2 + ($5 - y) ^ 2); e = $6 - h; while (e > 180) e -= 360; while (e <= -180) e += 360
        if (e < 0) e = -e
        if (at == "" && d <= 0.10 && e <= 10) at = $1 - a
        last_d = d; last_e = e }
      END { printf "%.3f %.1f %s\n", last_d, last_e, at == "" ? "-" : sprintf("%.2f", at) }' "$walk_dir/trace.txt")
    local d e at
    read -r d e at <<<"$result"
    falls=$(walk_falls "$walk_dir")
    falls_total=$((falls_total + falls))
    errors+=("$d")
    turns+=("$e")
    [ "$at" = - ] || { times+=("$at"); reached=$((reached + 1)); }
    finish_trial "$walk_dir" "$([ "$falls" -eq 0 ] && [ "$at" != - ] && echo yes || echo no)"
    report "trial $i/$n walk goto $tx $ty $th: off ${d} m, ${e} deg at the end, within 0.10 m and 10 deg after ${at} s, falls $falls (seed $s$kept_note)"
  done
  report "trials walk goto: median off $(printf '%s\n' "${errors[@]}" | median) m, $(printf '%s\n' "${turns[@]}" | median) deg; reached $reached/$n, median time $(printf '%s\n' "${times[@]}" | median) s; falls $falls_total"
}

# Random commands: 60 s of them, a new one every 1 to 3 s (one in seven a stop).
random_case() {
  local n=${count:-20} i falls_total=0
  for i in $(seq "$n"); do
    local s drill falls
    s=$(trial_seed "$i")
    drill=$(awk -v seed="$s" -v lead="$walk_lead" 'BEGIN { srand(seed); printf "0 stop\\n"
        for (t = lead; t < lead + 60; t += 1 + 2 * rand()) {
          if (rand() < 1 / 7) printf "%.2f stop\\n", t
          else printf "%.2f walk %.2f %.2f %.0f\\n", t, -0.4 + 1.2 * rand(), -0.3 + 0.6 * rand(), -90 + 180 * rand()
        } }')
    walk_trial random "$i" "$(uniform "$s" x -4 -1)" "$(uniform "$s" y -2 2)" "$(uniform "$s" h -180 180)" "$drill" 62
    falls=$(walk_falls "$walk_dir")
    falls_total=$((falls_total + falls))
    finish_trial "$walk_dir" "$([ "$falls" -eq 0 ] && echo yes || echo no)"
    report "trial $i/$n walk random: falls $falls in 60 s (seed $s$kept_note)"
  done
  report "trials walk random: falls $falls_total in $n x 60 s"
}

walk_cases() {
  local cases=(forward backward left right turn-left turn-right goto random)
  [ -z "$only" ] || cases=("$only")
  for c in "${cases[@]}"; do
    case $c in
      goto) goto_case ;;
      random) random_case ;;
      *) speed_case "$c" ;;
    esac
  done
}
