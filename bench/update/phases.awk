# Reads Wine's trace of one silent update (WINEDEBUG=+timestamp,+tid,+file; lines start with
# "seconds.milliseconds:thread:") and prints the phases between the package's own file
# operations. `wall` is the run's time measured outside Wine, in seconds.
function at(line) { return substr(line, 1, index(line, ":") - 1) + 0 }
function thread(line) { split(line, f, ":"); return f[2] }
function span(name, from, to) {
    if (from == "" || to == "") printf "%-50s   n/a\n", name
    else printf "%-50s %5.0f\n", name, 1000 * (to - from)
}
!/^[0-9]+\.[0-9]+:[0-9a-f]+:/ { next }
{ t = at($0) }
first == "" { first = t }
{ last = t }
# The package's first own step: is the application there?
found == "" && /GetFileAttributesW L".*\\telvo\.exe"/ { found = t }
# After the language files: the new data file under a temporary name.
write == "" && /CreateFileW L".*\.tmp"/ { write = t; writer = thread($0) }
check == "" && /CreateFileW L".*TelvoUpdate\.exe"/ { check = t; checker = thread($0) }
checker != "" && thread($0) == checker && /NtReadFile = / { checked = t }
written == "" && /NtWriteFile = / { written = t; next }
# FlushFileBuffers leaves no trace; the writer's next line comes after it.
written != "" && flushed == "" && thread($0) == writer { flushed = t }
moving == "" && /MoveFileWithProgressW/ { moving = t }
moving != "" && moved == "" && /GetFileAttributesW L".*\\"$/ { moved = t }
moved != "" && /NtQueryDirectoryFile =>/ { walked = t }
END {
    span("start: Wine, image, DLLs, registry, discovery", first, found)
    span("language files", found, write)
    span("write (one request from the mapped resource)", write, written)
    span("flush", written, flushed)
    span("wait for the self-check's verdict, probe", flushed, moving)
    span("move over the old file, open the uninstall key", moving, moved)
    span("folder size walk", moved, walked)
    span("exit", walked, last)
    span("self-check (its own thread, beside the write)", check, checked)
    if (wall != "")
        printf "%-50s %5.0f   (of %.0f wall)\n", "outside the trace (Wine's own start and end)",
               1000 * wall - 1000 * (last - first), 1000 * wall
}
