// A busy design for timing the engine: many registers toggling every cycle for a long time.
`timescale 1ns/1ps
module busy;
  reg clk = 0;
  reg [31:0] count = 0;
  reg [31:0] lfsr = 32'h1;
  reg [7:0] bank [0:15];
  integer i;
  always #5 clk = ~clk;
  always @(posedge clk) begin
    count <= count + 1;
    lfsr <= {lfsr[30:0], lfsr[31] ^ lfsr[21] ^ lfsr[1] ^ lfsr[0]};
    bank[count[3:0]] <= lfsr[7:0];
    if (count == 32'hffffffff)
      $display("never: wrapped");  // a line that is never reached, for an armed breakpoint
  end
  initial begin
    for (i = 0; i < 16; i = i + 1) bank[i] = 0;
    #20000000;
    $display("busy done: count=%0d lfsr=%h", count, lfsr);
    $finish;
  end
endmodule
