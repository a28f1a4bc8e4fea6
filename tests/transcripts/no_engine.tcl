# Without an engine every simulation command says so, even with wrong arguments; quit still
# leaves the shell and onerror decides what a failed command returns.
run
run 1 2 3
run all
restart x
step
init 5
stop
stop now
resume with any words
puts "run without onerror returns [catch {run 10 ns}]"
onerror {resume}
puts "run with onerror resume returns [catch {run 10 ns}]"
puts "onerror is now: [onerror]"
puts "two arguments return [catch {onerror a b}]"
onerror {}
puts "cleared: '[onerror]'"
quit -F
quit -f -s
quit
puts "never printed"
