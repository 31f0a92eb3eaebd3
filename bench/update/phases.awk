# Reads `strace -f -ttt -T` of one silent update (execve, fsync, getdents64, exit_group) and
# prints where its time went, in ms. Wine opens and renames files in its server, outside the
# trace, and the data file's writes are left out of it (thousands of traced calls would slow
# them down); what the package itself calls marks the phases: the writer's look for leftovers
# beside the target (directory reads) just before it writes, the flush that ends the write,
# the folder walk's directory reads, the exit. `wall` is the run's time in seconds.
function row(name, from, to) {
    if (from == "" || to == "") printf "%-56s   n/a\n", name
    else printf "%-56s %5.0f\n", name, 1000 * (to - from)
}
# The time a call took, from strace's "<seconds>" at the end of the line.
function took(line) {
    return match(line, /<[0-9.]+>$/) ? substr(line, RSTART + 1, RLENGTH - 2) : ""
}
# A call's end: a whole call's time stamp is its start, a resumed call's its end.
function ended_at(line, stamp) { return line ~ /resumed>/ ? stamp : stamp + took(line) }
{ tid = $1; t = $2 }
start == "" && $3 ~ /^execve\(".*wine"/ { start = t }
# Directory reads before the flush: the last of them ends the look for leftovers.
flush == "" && /getdents64/ && / = [0-9]+ </ { write = ended_at($0, t); reader = tid }
flush == "" && $3 ~ /^fsync\(/ && tid == reader { flush = t; main = tid }
flush != "" && flushed == "" && tid == main && $0 ~ /fsync.*= 0 </ { flushed = ended_at($0, t) }
flushed != "" && tid == main && $3 ~ /^getdents64\(/ { if (walk == "") walk = t; walked = t }
tid == main && $3 ~ /^exit_group\(/ { ended = t }
# The self-check's thread is the last other thread to end; it may end before the write begins.
/\+\+\+ exited/ { exited[tid] = t }
END {
    end = wall == "" ? "" : start + wall
    for (other in exited)
        if (other != main && exited[other] < ended && (checked == "" || exited[other] > checked))
            checked = exited[other]
    row("start: Wine, image, DLLs, registry, discovery, language", start, write)
    row("write (from the mapped resource, in pieces)", write, flush)
    row("flush", flush, flushed)
    row("verdict, probe, move over the old file, uninstall key", flushed, walk)
    row("folder size walk", walk, walked)
    row("exit", walked, ended)
    row("Wine's end of the process", ended, end)
    if (checked != "" && flushed != "")
        printf "%-56s %5.0f   (%s)\n", "self-check's end, from the start of the write",
               1000 * (checked - write), (checked > flushed ? "after the flush: the move waited" \
                                                            : "before the flush ended")
}
