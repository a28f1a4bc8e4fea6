# host: engine-double -calls
# Times reach the engine in femtoseconds (user unit 1 ps here); usage errors print only the
# usage block; value errors print their message.
run
run 10 ns
run 10ns
run "10 us"
run 10 xs
run 1.9999 fs
run 9224 s
run 1 2 3
run ALL
run -1
run 1.2.3
run all extra words
run continue
restart x
restart
step
init x
init
stop x
stop
quit -F
quit -f -s
quit
