# args: designs/endless.v
# The engine is killed while it runs: the waiting command is released, the end is reported, and
# the shell goes on without an engine.
run 10 ns
proc killEngineSoon {} { exec sh -c "sleep 1; pkill -9 -P [pid] vvp" & }
killEngineSoon
run all
puts "back in the shell"
run 10 ns
quit
