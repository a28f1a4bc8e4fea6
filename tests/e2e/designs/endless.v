// A clock that runs for a very long simulated time, to be interrupted by a stop request.
`timescale 1ns/1ns
module endless_tb;
  reg clk = 0;
  integer ticks = 0;
  always #1 clk = ~clk;
  always @(posedge clk) ticks = ticks + 1;
  initial #2000000000 $finish;
endmodule
