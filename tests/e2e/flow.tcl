# args: ../../examples/counter/counter.v ../../examples/counter/tb.v
# The flow commands on the real engine: the design's own output is the oracle.
run 30 ns
puts "-- after run 30 ns"
run 20ns
puts "-- restart"
restart
run 16 ns
puts "-- run all"
run all
puts "not reached: the finish ends a console session"
