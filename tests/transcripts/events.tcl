# host: engine-double -engine events.engine -calls
# Stop lines from the engine's events; the simulation's finish ends a console session.
run 20 ns
run 5 ns
step
run all
puts "never printed: the finish quits the console session"
