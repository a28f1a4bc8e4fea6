# args: ../../examples/counter/counter.v ../../examples/counter/tb.v
# Breakpoints, stepping, a condition whose script runs, and a forced clock on the real engine.
bp add tb.v 11
bp add counter.v 5
bp list
run 100 ns
bp del 2
bp list
step
run 100 ns
bp clear
orvex condition add {/tb/count == 4'd7} {puts "condition met: count is [show value count] at [show time]"} -label seven
orvex condition list
run 200 ns
orvex condition remove -label seven
orvex condition list
restart
orvex force add clk 0 -value 1 -time 2 ns -value 0 -time 4 ns -repeat 4 ns -cancel 40 ns
run 60 ns
puts "count after a 4 ns clock for 40 ns: [show value count -radix unsigned]"
quit
