# host: engine-double -engine engine_death.engine -calls
# The engine dies during a run: the waiting command is released and the end reported; later
# requests find no engine.
run 10 ns
run 10 ns
puts "still in the shell"
quit
