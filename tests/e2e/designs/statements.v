// Statements of many kinds for comparing breakpoint hits, steps and line traces with vvp's own
// statement reports: loops, a task, a function, fork/join, wait, two clocked processes.
`timescale 1ns/1ps
module statements_tb;
  reg clk = 0;
  reg [7:0] a = 0, b = 0;
  integer i, total = 0;
  real level = 0.0;

  function [7:0] mix(input [7:0] x);
    mix = {x[3:0], x[7:4]} ^ 8'h5a;
  endfunction

  task bump(input integer by);
    begin
      total = total + by;
      if (total > 1000) total = 0;
    end
  endtask

  always #5 clk = ~clk;

  always @(posedge clk) begin
    a <= mix(a) + 1;
    for (i = 0; i < 3; i = i + 1)
      bump(i);
  end

  always @(negedge clk) begin
    if (a[0]) b = b + 1; else b = b - 1;
    level = level + 0.5;
  end

  initial begin
    fork
      #12 bump(7);
      #17 bump(9);
    join
    wait (total > 40);
    $display("total reached %0d at %0t", total, $time);
    #60;
    if (total == 12345) $display("never");
    $display("done a=%0d b=%0d total=%0d", a, b, total);
    $finish;
  end
endmodule
