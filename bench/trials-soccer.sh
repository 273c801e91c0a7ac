# The soccer trials of bench/trials, read by it: whole matches of the agent's soccer mode
# through its start_server, start_agents, end_match, report, trial_seed and finish_trial.
# "Halyx" (halyx --soccer --team Halyx) plays left against "Halyx2" in soccer mode too, or
# against the designed team under its own name (--opponent design); the match's figures
# come from the server's summary.

# soccer_match DIR SEED: one match of $seconds for $soccer_agents agents; the left team's
# logs in DIR/team, the right team's in DIR/team2. The right team starts once the left one
# has joined, so that the server puts Halyx on the left.
soccer_match() {
  local dir=$1 unums
  unums=($(awk '$1 == "unums" { u = ""; for (i = 2; i <= NF; ++i) u = u " " int($i) } END { print u }' \
    "$root/team/formation.conf"))
  soccer_agents=$((2 * ${#unums[@]}))
  match_args=()
  start_server "$dir" "$2" "$seconds" "$soccer_agents"
  agent_args=(--soccer --team Halyx)
  start_agents "$dir" "$dir/team" "${unums[@]}"
  "$root/scripts/wait-join" "$dir/sparring.log" Halyx "$server_pid" ||
    fail "the left team did not join the server in $dir"
  agent_args=()
  [ "$opponent" = design ] || agent_args=(--soccer --team Halyx2)
  start_agents "$dir" "$dir/team2" "${unums[@]}"
  agent_args=()
  end_match "$dir"
}

# soccer_figures SUMMARY: "LEFT_GOALS RIGHT_GOALS LEFT_FALLS RIGHT_FALLS ROBOTS LONGEST_DOWN
# UNTOUCHED AGENTS ANSWERED" of a match: the falls of each soccer team ("-" for the
# designed one), the robots of the soccer teams, the longest time one of them was down
# (seconds, "-" in a world that does not tell), the longest PlayOn time nobody touched the
# ball, the agents that came and those that answered every message sent to them.
soccer_figures() {
  awk -v right_soccer="$([ "$opponent" = soccer ] && echo 1 || echo 0)" '
    function value(name,   i) {
      for (i = 1; i <= NF; ++i) if (index($i, name "=") == 1) return substr($i, length(name) + 2)
      return ""
    }
    /^sparring summary:/ && match($0, /score left [0-9]+ : [0-9]+ right/) {
      split(substr($0, RSTART, RLENGTH), s, " "); left = s[3]; right = s[5]
    }
    /^agent / {
      ++agents
      split(value("answered"), a, "/")
      if (a[2] > 0 && a[1] == a[2]) ++answered
      team = value("team")
      if (team != "Halyx" && !(right_soccer && team == "Halyx2")) next
      ++robots
      falls[team] += value("falls")
      d = value("longest_down_s")
      if (d != "" && (down == "" || d + 0 > down + 0)) down = d
    }
    /^match:/ { untouched = value("untouched_longest_s") }
    END {
      printf "%d %d %d %s %d %s %s %d %d\n", left, right, falls["Halyx"],
        right_soccer ? falls["Halyx2"] + 0 : "-", robots, down == "" ? "-" : down,
        untouched == "" ? "-" : untouched, agents, answered
    }' "$1"
}

soccer_case() {
  local n=${count:-10} i right=Halyx2 scored=0 conceded=0 scored_in=0 all_answered=0
  local falls_total=0 robot_minutes=0 downs=() untouched_all=()
  [ "$opponent" = soccer ] || right=QEL
  for i in $(seq "$n"); do
    local s dir lg rg lf rf robots down untouched agents answered falls rate said
    s=$(trial_seed "$i")
    dir=$run_dir/soccer-$i
    soccer_match "$dir" "$s"
    read -r lg rg lf rf robots down untouched agents answered < <(soccer_figures "$dir/summary.txt")
    falls=$((lf + ${rf/-/0}))
    rate=$(awk -v f="$falls" -v r="$robots" -v t="$seconds" 'BEGIN { printf "%.3f", r ? f / (r * t / 60) : 0 }')
    scored=$((scored + lg))
    conceded=$((conceded + rg))
    [ "$lg" -eq 0 ] || scored_in=$((scored_in + 1))
    falls_total=$((falls_total + falls))
    robot_minutes=$(awk -v a="$robot_minutes" -v r="$robots" -v t="$seconds" 'BEGIN { print a + r * t / 60 }')
    [ "$down" = - ] || downs+=("$down")
    [ "$untouched" = - ] || untouched_all+=("$untouched")
    if [ "$answered" -eq "$agents" ] && [ "$agents" -eq "$soccer_agents" ]; then
      said="every message answered by all $agents agents"
      all_answered=$((all_answered + 1))
      finish_trial "$dir" yes
    else
      said="every message answered by only $answered of $soccer_agents agents"
      finish_trial "$dir" no
    fi
    report "trial $i/$n soccer: Halyx $lg : $rg $right, falls $lf$([ "$rf" = - ] || echo " + $rf")" \
      "($rate per robot-minute), longest down $down s, untouched $untouched s, $said (seed $s$kept_note)"
  done
  local max_down max_untouched
  max_down=$(printf '%s\n' "${downs[@]}" | sort -g | tail -1)
  max_untouched=$(printf '%s\n' "${untouched_all[@]}" | sort -g | tail -1)
  report "trials soccer: Halyx against $right in $n x $seconds s: $(awk -v g="$scored" -v c="$conceded" -v n="$n" \
    'BEGIN { printf "%.2f goals scored and %.2f conceded per match", g / n, c / n }'), scored in $scored_in/$n," \
    "max longest down ${max_down:--} s, max untouched ${max_untouched:--} s, falls" \
    "$(awk -v f="$falls_total" -v m="$robot_minutes" 'BEGIN { printf "%.3f", m ? f / m : 0 }') per robot-minute," \
    "every message answered in $all_answered/$n"
}
