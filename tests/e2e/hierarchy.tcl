# args: ../../examples/counter/counter.v ../../examples/counter/tb.v
# Inspection on the real engine: the hierarchy, declarations, values in several radixes,
# drivers and loads, and put and test checked against the design's own $display lines.
scope
show scope
show child -r
describe count
describe dut
run 30 ns
puts "count is [show value count] ([show value count -radix bin] in binary) at [show time]"
show driver count
show load clk
dump
scope dut
show port
scope ..
puts "test 2: [test count 2], test 3: [test count 3]"
put rst 1
run 20 ns
puts "after reset: count is [show value count]"
put rst 0
run 20 ns
put nosuch 1
show value nosuch
scope /tb/nosuch
quit
