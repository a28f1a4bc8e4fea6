# host: engine-double -design inspect -engine objects_engine_lost.engine -calls
# An engine lost while test reads a value: the failure is reported, the display length is put
# back, and the command fails whatever onerror says.
onerror {resume}
puts "test returns [catch {test clk 1}]"
puts "show value returns [catch {show value clk}]"
