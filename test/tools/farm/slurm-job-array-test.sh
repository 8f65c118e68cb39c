#!/usr/bin/env bash
# lenscorrect-slurm end to end on a real single-node Slurm cluster that this script starts: MUNGE,
# slurmctld and slurmd from Debian's packages, with configuration, key, sockets, state and logs in
# a temporary directory, ports on 127.0.0.1 only and nothing under /etc changed. A 1080p
# clip goes through a job array in chunks, again with the job cancelled mid-run and
# resubmitted, and in part from paths that need quoting; every output must equal, bit for bit,
# one lenscorrect run of the whole clip.
# Usage: slurm-job-array-test.sh LENSCORRECT LENS-CORRECT-EXAMPLE LENSCORRECT-SLURM
set -euo pipefail
lenscorrect=$1 example=$2 submit=$3
frames=24 first=1001 chunk=6
bound=180 # seconds any one wait may take on a loaded machine

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for program in munged mungekey slurmctld slurmd sbatch squeue scancel sinfo scontrol; do
  command -v "$program" > /dev/null \
    || fail "$program is missing: scripts/install-deps.sh installs slurm-wlm and munge"
done
if ! clinfo -l 2> /dev/null | grep -q 'Device #'; then
  echo "No OpenCL device: lenscorrect cannot run; skipped."
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/lenscorrect-farm.XXXXXX")
# Every Slurm command here, the cleanup's included, talks to this cluster only.
export SLURM_CONF=$work/slurm.conf
daemons=()
stop_cluster() {
  local status=$?
  # Jobs first, while the controller can still end them; then the daemons, newest first.
  if [ ${#daemons[@]} -gt 1 ]; then
    timeout 20 scancel --quiet --user "$(id -un)" 2> /dev/null || true
    for _ in $(seq 20); do
      [ -z "$(timeout 10 squeue -h 2> /dev/null)" ] && break
      sleep 1
    done
  fi
  for ((i = ${#daemons[@]} - 1; i >= 0; i--)); do
    kill "${daemons[i]}" 2> /dev/null || continue
    for _ in $(seq 30); do
      kill -0 "${daemons[i]}" 2> /dev/null || break
      sleep 1
    done
    kill -KILL "${daemons[i]}" 2> /dev/null || true
    wait "${daemons[i]}" 2> /dev/null || true
  done
  if [ "$status" != 0 ]; then
    for log in "$work"/log/*.log "$work"/jobs/*/*.log; do
      [ -f "$log" ] && { echo "--- $log"; tail -n 15 "$log"; }
    done
  fi
  rm -rf "$work"
  exit "$status"
}
trap stop_cluster EXIT
trap 'exit 1' INT TERM
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)" >&2' ERR

# Polls `$@` five times a second until it succeeds; fails with `what` after `bound` seconds.
wait_until() {
  local what=$1
  shift
  for _ in $(seq $((bound * 5))); do
    "$@" && return 0
    sleep 0.2
  done
  fail "$what within $bound s"
}
milliseconds() { echo $((${EPOCHREALTIME/./} / 1000)); }

# A port nothing listens on; slurmctld or slurmd fail clearly if it is taken meanwhile.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 30000))
    (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null || break
  done
  echo "$port"
}

# munged wants every directory above its socket searchable; the key stays private.
chmod 755 "$work"
mkdir -p "$work"/{log,run,state,spool,key}
chmod 700 "$work/key"
mungekey --create --keyfile="$work/key/munge.key"
# --force: tolerates a TMPDIR whose permissions munged would otherwise refuse.
munged --foreground --force --socket="$work/run/munge.socket" --key-file="$work/key/munge.key" \
  --pid-file="$work/run/munged.pid" --seed-file="$work/key/seed" 2> "$work/log/munged.log" &
daemons+=($!)

user=$(id -un)
host=$(hostname -s)
cat > "$SLURM_CONF" << EOF
ClusterName=lenscorrect-farm
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
CommunicationParameters=NoCtldInAddrAny,NoInAddrAny
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/run/munge.socket
SlurmUser=$user
SlurmdUser=$user
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/run/slurmctld.pid
SlurmdPidFile=$work/run/slurmd.pid
MailProg=/bin/true
# A container: no cgroups, processes tracked through /proc.
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=farm1 NodeAddr=127.0.0.1 NodeHostname=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=farm Nodes=farm1 Default=YES MaxTime=INFINITE State=UP
EOF
wait_until "munged did not create its socket" test -S "$work/run/munge.socket"
slurmctld -D 2> "$work/log/slurmctld.log" &
daemons+=($!)
slurmd -D -N farm1 2> "$work/log/slurmd.log" &
daemons+=($!)
node_idle() {
  for pid in "${daemons[@]}"; do
    kill -0 "$pid" 2> /dev/null || fail "a Slurm daemon (pid $pid) exited; its log is below"
  done
  [ "$(sinfo -h -o %t 2> /dev/null)" = idle ]
}
wait_until "the node did not come up idle" node_idle

echo "Writing a $frames-frame 1080p clip and its lens data"
"$example" --directory "$work/clip" --frames "$frames" --clip-only > /dev/null
correct=("$work/clip/clean/chart.####.tif" --correction-file "$work/clip/A001C001.tlcf"
  --clip-name A001C001_260614_R1AB.mov --shading remove --distortion undistort)

start=$(milliseconds)
"$lenscorrect" "${correct[@]}" -q -o "$work/reference/A001C001.####.exr"
single=$(($(milliseconds) - start))

# Submits the clip to the cluster into $1/ with more submission options; prints the job id.
submit_clip() {
  local into=$1
  shift
  "$submit" --range "$first-$((first + frames - 1))" --chunk "$chunk" --job-dir "$work/jobs/$into" \
    --lenscorrect "$lenscorrect" "$@" -- "${correct[@]}" -o "$work/$into/A001C001.####.exr"
}
job_done() {
  local tasks
  tasks=$(timeout 20 squeue -h -j "$1" -o %i) && [ -z "$tasks" ]
}
outputs() { find "$work/$1" -name 'A001C001.*.exr' 2> /dev/null | wc -l; }
partials() { find "$work/$1" -name '.*.partial-*' 2> /dev/null; }
# Every frame there, bit for bit the single-process result, and no temporary file left.
check_complete() {
  [ "$(outputs "$1")" = "$frames" ] || fail "$1: $(outputs "$1") of $frames frames written"
  for reference in "$work"/reference/*.exr; do
    cmp -s "$reference" "$work/$1/${reference##*/}" || fail "$1/${reference##*/} differs"
  done
  [ -z "$(partials "$1")" ] || fail "$1: partial files left: $(partials "$1")"
}

echo "Job array: frames $first-$((first + frames - 1)) in chunks of $chunk"
start=$(milliseconds)
job=$(submit_clip array)
wait_until "job $job did not finish" job_done "$job"
array=$(($(milliseconds) - start))
check_complete array

# One task at a time: the cancel lands while the first chunk runs and the others wait, however
# fast the machine.
echo "Cancelling a job mid-run and resubmitting it"
job=$(submit_clip resumed --max-running 1)
started() { [ "$(outputs resumed)" -gt 0 ]; }
wait_until "job $job wrote no frame" started
scancel "$job"
wait_until "cancelled job $job did not end" job_done "$job"
written=$(outputs resumed)
[ "$written" -lt "$frames" ] || fail "job $job finished before it was cancelled"
[ -z "$(partials resumed)" ] || fail "the cancelled job left partial files: $(partials resumed)"
kept=$(find "$work/resumed" -name '*.exr' -printf '%f %i %T@\n' | sort)
job=$(sbatch --parsable "$work/jobs/resumed/job.sbatch")
wait_until "resubmitted job $job did not finish" job_done "$job"
check_complete resumed
# The frames written before the cancel were left alone, not rendered again.
while read -r name inode mtime; do
  [ "$(stat -c '%i' "$work/resumed/$name")" = "$inode" ] \
    && [ "$(find "$work/resumed/$name" -printf '%T@')" = "$mtime" ] \
    || fail "resumed/$name was rewritten"
done <<< "$kept"

# Blanks, quotes, '$', '#' and '%' in the submission directory, the job directory, the plate's
# path, the output and an sbatch option: each must reach Slurm and the tool as it was given.
echo "Submitting from, into and with paths that need quoting"
odd="$work/it's a \"quoted\" \$dir #1 %x"
mkdir -p "$odd/plate" "$odd/sub mit"
ln "$work"/clip/clean/chart.*.tif "$odd/plate/"
# The lens data keeps its name, which every output records.
cp "$work/clip/A001C001.tlcf" "$odd/"
comment="a 'b' \"c\" #d \$e"
job=$(cd "$odd/sub mit" && "$submit" --range "$first-$((first + 3))" --chunk 2 \
  --job-dir "$odd/job dir" --job-name "lens 'odd' job" --sbatch-option "--comment=$comment" \
  --lenscorrect "$lenscorrect" -- ../plate/chart.####.tif --correction-file ../A001C001.tlcf \
  --clip-name A001C001_260614_R1AB.mov --shading remove --distortion undistort \
  -o "../out 'put' \"here\"/A001C001.####.exr")
wait_until "job $job did not finish" job_done "$job"
timeout 20 scontrol show job "$job" | grep -qF "Comment=$comment" \
  || fail "the sbatch option did not reach Slurm as given: $(timeout 20 scontrol show job "$job")"
for number in $(seq "$first" $((first + 3))); do
  cmp -s "$work/reference/A001C001.$number.exr" "$odd/out 'put' \"here\"/A001C001.$number.exr" \
    || fail "frame $number of the quoted job is missing or differs: $(ls "$odd"/*)"
done
logs=$(find "$odd/job dir" -name "lens 'odd' job-${job}_*.log" | wc -l)
[ "$logs" = 2 ] || fail "the quoted job's task logs are missing: $(ls "$odd/job dir")"

printf 'single process: %d ms; job array of %d tasks on %d CPUs: %d ms; ' "$single" \
  $(((frames + chunk - 1) / chunk)) "$(nproc)" "$array"
echo "cancelled after $written frames, resubmission completed the rest"
