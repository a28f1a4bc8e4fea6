# host: engine-double -console host -calls
# A host console: the interpreter's channels go through the console pipe.
puts "through the console channel"
run 10 ns
help step
puts stderr "error channel too"
quit
