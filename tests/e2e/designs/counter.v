// A clocked counter with a memory, a $finish, and $display lines that the tests use as oracle.
`timescale 1ns/1ps
module counter_tb;
  reg clk = 0;
  reg [7:0] count = 0;
  reg [7:0] mem [0:3];
  reg flag = 0;
  wire [7:0] doubled;
  integer i;
  real ratio;

  assign doubled = count * 2;

  always #5 clk = ~clk;

  always @(posedge clk) begin
    count <= count + 1;
  end

  initial begin
    for (i = 0; i < 4; i = i + 1) mem[i] = i * 3;
    ratio = 1.5;
  end

  always @(posedge flag) $display("flag rose at %0t count=%0d", $time, count);

  initial begin
    #100 $display("at %0t count=%0d", $time, count);
    #100 $display("at %0t count=%0d", $time, count);
    $finish;
  end
endmodule
