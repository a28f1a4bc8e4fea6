# host: engine-double -design inspect -engine test.engine -calls
# test compares the whole value, case-folded, quotes stripped, booleans and strengths allowed;
# the result is 1 or 0 and the array display length is restored.
test WIDTH 4
puts "result [test clk 0]"
puts "result [test clk 1]"
puts "result [test count {"1010"} -radix bin]"
puts "result [test count '1010']"
puts "result [test clk {"}]"
puts "result [test flag 1]"
puts "result [test flag true]"
puts "result [test rst true]"
puts "result [test rst st1]"
puts "result [test /tb/dut/q 1]"
puts "result [test /tb/dut/q 0]"
puts "result [test mem 00112233445566778899]"
test clk 1 -radix
test clk 1 -r hex
test clk 1 -radix foo
test clk
test a b c d e f
puts "unknown name returns [catch {test nosuch 1} result], result '$result'"
