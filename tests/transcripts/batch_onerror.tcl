# host: engine-double -tclbatch batch_onerror.batch -calls
# With onerror {resume} a batch file goes on after failing commands, then the shell reads
# standard input.
puts "from standard input"
quit
