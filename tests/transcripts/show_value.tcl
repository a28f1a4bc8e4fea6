# host: engine-double -design inspect -engine show_value.engine -calls
# show value gives the value as the result (copied to the log only), in the shell's radix or
# the one given; engine refusals are reported under the object's name. The status is unknown.
# Selects in either form reach the engine as one canonical path.
show value WIDTH
puts "clk=[show value clk]"
puts "count=[show value count -radix hex]"
puts "count=[show value count -radix]"
puts "mem(1)=[show value /tb/mem(1) -radix bin]"
puts "mem\[1\]=[show value {mem[1]} -radix bin]"
puts "count(3:0)=[show value count(3:0)] count\[3:0\]=[show value {/tb/count[3:0]}]"
show value nosuch
puts "unknown name returns [catch {show value nosuch} r], result '$r'"
show value rst
show status
