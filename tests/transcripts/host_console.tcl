# host: engine-double -console host -calls
# A host console: the interpreter's channels go through the console pipe, and script output
# keeps its place among the shell's own messages.
puts "through the console channel"
run 10 ns
help step
puts stderr "error channel too"
for {set i 0} {$i < 3} {incr i} { puts "line $i"; help resume }
puts -nonewline "no line end, "
puts "then one"
restart now
quit
