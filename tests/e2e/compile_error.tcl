# args: designs/broken.v
# A design that does not compile: the compiler's messages, then exit status 2; no shell.
puts "never run"
