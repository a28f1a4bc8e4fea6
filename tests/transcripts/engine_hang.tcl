# host: engine-double -engine engine_hang.engine -calls
# An engine that stops answering: the command fails, the engine is ended, onerror is not run.
onerror {puts "onerror ran"}
run 10 ns
puts "after the failure"
quit
