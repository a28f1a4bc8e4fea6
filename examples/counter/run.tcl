# A short tour: run, look at a value, stop on a line of the counter, and run to the end.
run 30 ns
puts "count = [show value count] at [show time]"
bp add counter.v 7
run 20 ns
puts "count = [show value count] at [show time]"
bp clear
run all
