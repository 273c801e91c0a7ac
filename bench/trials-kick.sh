# The ball trials of bench/trials, read by it after trials-walk.sh (walk_trial, median,
# walk_falls, pose_at). The robot stands placed before kick-off, the ball is placed by
# the scenario half a second after PlayOn, and the drill's kick or dribble comes one
# second after PlayOn; the ball's truth is read from the server's trace.

ball_at=2.5  # seconds of server time: the ball's placement (after PlayOn at 2.0)

# ball_trial NAME I X Y HEADING BX BY DRILL SECONDS: walk_trial with the ball placed.
ball_trial() {
  local name=$1 i=$2 x=$3 y=$4 h=$5 bx=$6 by=$7 drill=$8 seconds=$9 s
  s=$(trial_seed "$i")
  walk_dir=$run_dir/$name-$i
  mkdir -p "$walk_dir"
  printf '1.3 place left 2 %s %s %s\n%s ball %s %s\n' "$x" "$y" "$h" "$ball_at" "$bx" "$by" \
    >"$walk_dir/scenario.txt"
  printf '%b' "$drill" >"$walk_dir/drill.txt"
  match_args=(--before-kickoff 1.5 --kickoff 0.5 --scenario "$walk_dir/scenario.txt"
    --trace "$walk_dir/trace.txt")
  agent_args=(--drill "$walk_dir/drill.txt")
  run_match "$walk_dir" "$s" "$(awk -v d="$seconds" -v p="$walk_play_on" 'BEGIN { print p + d }')" 2
  agent_args=()
}

# kick_result TRACE T0 DIRECTION: "DISTANCE ERROR SECONDS" of the ball's first kick after
# T0: it leaves when it first moves over 1 cm in a cycle (0.5 m/s); its travel ends when
# it has kept still for 10 cycles, at the trace's end, or before a jump of over 0.5 m in
# a cycle (the referee putting it back after it left the field). "- - -": never kicked.
kick_result() {
  awk -v t0="$2" -v dir="$3" '$2 == "ball" && $1 + 0 >= t0 - 1e-6 {
      x = $4; y = $5
      if (seen) {
        step = sqrt((x - px) ^ 2 + (y - py) ^ 2)
        if (!left && step > 0.01) { left = $1; sx = px; sy = py }
        else if (left && !ended) {
          if (step > 0.5) { ended = 1; ex = px; ey = py }
          else if (step < 0.001) { if (++still >= 10) { ended = 1; ex = x; ey = y } }
          else still = 0
        }
      }
      seen = 1; px = x; py = y
    }
    END {
      if (!left) { print "- - -"; exit }
      if (!ended) { ex = px; ey = py }
      d = sqrt((ex - sx) ^ 2 + (ey - sy) ^ 2)
      e = atan2(ey - sy, ex - sx) * 180 / atan2(0, -1) - dir
      while (e > 180) e -= 360; while (e <= -180) e += 360; if (e < 0) e = -e
      printf "%.2f %.1f %.2f\n", d, e, left - t0 }' "$1"
}

# A ball 1 to 2 m from a robot standing at (-3, 0) facing a random heading within 30
# degrees of the opponents' goal, at a random bearing; kick towards a random direction
# within 60 degrees of the robot's heading.
kick_case() {
  local n=${count:-20} i dists=() errors=() times=() up=0 kicked=0
  for i in $(seq "$n"); do
    local s h r b bx by dir t0 d e t falls
    s=$(trial_seed "$i")
    h=$(uniform "$s" heading -30 30 | awk '{ printf "%.0f", $1 }')
    r=$(uniform "$s" range 1 2)
    b=$(uniform "$s" bearing -180 180)
    bx=$(awk -v r="$r" -v b="$b" -v h="$h" 'BEGIN { printf "%.2f", -3 + r * cos((b + h) * atan2(0, -1) / 180) }')
    by=$(awk -v r="$r" -v b="$b" -v h="$h" 'BEGIN { printf "%.2f", r * sin((b + h) * atan2(0, -1) / 180) }')
    dir=$(uniform "$s" direction -60 60 | awk -v h="$h" '{ printf "%.0f", h + $1 }')
    ball_trial kick "$i" -3 0 "$h" "$bx" "$by" "0 stop\n$walk_lead kick $dir\n" 22
    t0=$(awk -v p="$walk_play_on" -v l="$walk_lead" 'BEGIN { print p + l }')
    read -r d e t < <(kick_result "$walk_dir/trace.txt" "$t0" "$dir")
    falls=$(walk_falls "$walk_dir")
    [ "$falls" -eq 0 ] && up=$((up + 1))
    if [ "$d" != - ]; then
      kicked=$((kicked + 1))
      dists+=("$d")
      errors+=("$e")
      times+=("$t")
    fi
    finish_trial "$walk_dir" "$([ "$falls" -eq 0 ] && [ "$d" != - ] && echo yes || echo no)"
    report "trial $i/$n kick $dir deg, ball at $bx $by from -3 0 facing $h: travelled $d m, off by $e deg, left after $t s, falls $falls (seed $s$kept_note)"
  done
  report "trials kick: median distance $(printf '%s\n' "${dists[@]}" | median) m (max $(printf '%s\n' "${dists[@]}" | sort -g | tail -1)), direction error $(printf '%s\n' "${errors[@]}" | median) deg, time to the kick $(printf '%s\n' "${times[@]}" | median) s; kicked $kicked/$n, stayed up $up/$n"
}

# The ball 1 m ahead of a robot at (-3, Y) facing the opponents' goal, dribbled to a
# point 4 m beyond it within 30 degrees of straight ahead: the time until the ball is
# first within 1 m of the point, its distance from the point at the end, falls.
dribble_case() {
  local n=${count:-20} i finals=() times=() reached=0 falls_total=0
  for i in $(seq "$n"); do
    local s y a tx ty t0 result final at falls
    s=$(trial_seed "$i")
    y=$(uniform "$s" y -1 1 | awk '{ printf "%.2f", $1 }')
    a=$(uniform "$s" angle -30 30)
    tx=$(awk -v a="$a" 'BEGIN { printf "%.2f", -2 + 4 * cos(a * atan2(0, -1) / 180) }')
    ty=$(awk -v a="$a" -v y="$y" 'BEGIN { printf "%.2f", y + 4 * sin(a * atan2(0, -1) / 180) }')
    ball_trial dribble "$i" -3 "$y" 0 -2 "$y" "0 stop\n$walk_lead dribble $tx $ty\n" 42
    t0=$(awk -v p="$walk_play_on" -v l="$walk_lead" 'BEGIN { print p + l }')
    result=$(awk -v t0="$t0" -v x="$tx" -v y="$ty" '$2 == "ball" && $1 + 0 >= t0 - 1e-6 {
        d = sqrt(($4 - x) ^ 2 + ($5 - y) ^ 2)
        if (at == "" && d <= 1) at = $1 - t0
        last = d }
      END { printf "%.2f %s\n", last, at == "" ? "-" : sprintf("%.2f", at) }' "$walk_dir/trace.txt")
    read -r final at <<<"$result"
    falls=$(walk_falls "$walk_dir")
    falls_total=$((falls_total + falls))
    finals+=("$final")
    local ok=no
    if awk -v f="$final" 'BEGIN { exit !(f <= 1) }' && [ "$falls" -eq 0 ]; then ok=yes; reached=$((reached + 1)); fi
    [ "$at" = - ] || times+=("$at")
    finish_trial "$walk_dir" "$ok"
    report "trial $i/$n dribble from -2 $y to $tx $ty: ball $final m from the point at the end, within 1 m after $at s, falls $falls (seed $s$kept_note)"
  done
  report "trials dribble: within 1 m at the end $reached/$n (no fall), median end distance $(printf '%s\n' "${finals[@]}" | median) m, median time to within 1 m $(printf '%s\n' "${times[@]}" | median) s, falls $falls_total"
}
