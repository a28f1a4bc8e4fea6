// Test bench: a 10 ns clock, reset for the first cycle, the count shown on every rising edge
// after it settles, and the end at 200 ns.
`timescale 1ns/1ps
module tb;
  reg clk = 0;
  reg rst = 1;
  wire [3:0] count;
  counter dut(.clk(clk), .rst(rst), .q(count));
  always #5 clk = ~clk;
  initial #12 rst = 0;
  always @(posedge clk) #1 $display("t=%0t count=%0d", $time, count);
  initial begin
    #200;
    $display("done at %0t", $time);
    $finish;
  end
endmodule
