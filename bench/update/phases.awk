# Reads `strace -f -ttt -T` of one silent update (execve, write, fsync, getdents64, exit_group)
# and prints where its time went, in ms. Wine opens and renames files in its server, outside
# the trace; what the package itself calls marks the phases: the writes of the data file's
# `size` bytes (one request or several pieces), the flush, the folder walk's directory reads,
# the exit. `wall` is the run's time in seconds.
function row(name, from, to) {
    if (from == "" || to == "") printf "%-56s   n/a\n", name
    else printf "%-56s %5.0f\n", name, 1000 * (to - from)
}
# The time a call took, from strace's "<seconds>" at the end of the line.
function took(line) {
    return match(line, /<[0-9.]+>$/) ? substr(line, RSTART + 1, RLENGTH - 2) : ""
}
# The byte count a write call asked for, from `write(fd, "..."..., count`; 0 when not shown.
function asked(line) {
    return match(line, /, [0-9]+(\) = | <unfinished)/) ? substr(line, RSTART + 2) + 0 : 0
}
{ tid = $1; t = $2 }
start == "" && $3 ~ /^execve\(".*wine"/ { start = t }
# The data file's first write is the first one of at least 64 KiB (Wine's requests to its
# server are far smaller); the rest go to the same descriptor from the same thread.
write == "" && $3 ~ /^write\(/ && asked($0) >= 65536 {
    write = t; main = tid; fd = substr($3, 7) + 0
}
main != "" && written == "" && tid == main && $0 ~ /write/ && $0 ~ /\) = [0-9]+ </ {
    if ($3 ~ /^write\(/ && substr($3, 7) + 0 != fd) next
    if ($3 !~ /^write\(/ && !pending) next
    pending = 0
    match($0, /\) = [0-9]+ </)
    total += substr($0, RSTART + 4) + 0
    pieces++
    # A resumed call's time stamp is its end; a whole call's is its start.
    if (total >= size) written = $3 ~ /^write\(/ ? t + took($0) : t
    next
}
main != "" && written == "" && tid == main && $3 ~ "^write\\(" fd "," && /<unfinished/ { pending = 1 }
written != "" && flush == "" && tid == main && $3 ~ /^fsync\(/ { flush = t }
flush != "" && flushed == "" && tid == main && $0 ~ /fsync.*= 0 </ { flushed = flush + took($0) }
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
    row(sprintf("write (%d request%s from the mapped resource)", pieces, pieces == 1 ? "" : "s"),
        write, written)
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
