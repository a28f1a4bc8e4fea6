# host: engine-double -tclbatch batch_error.batch -calls
# A batch file that fails stops the shell; standard input is never read.
puts "never printed"
