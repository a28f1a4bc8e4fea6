# host: engine-double -design inspect -engine put.engine -calls
# put assigns in the shell's radix or the one given; bad options assign nothing.
put clk 2
put clk 0
put count 1010 -radix bin
put rst 1 extra
put clk 1 -radix nonsense
puts "bad radix returns [catch {put clk 1 -radix nonsense} message]: $message"
put clk 1 -rad bin
put clk
put a b c d e f
put nosuch 1
onerror {resume}
puts "with onerror resume: [catch {put nosuch 1}]"
