// Many toggling signals for comparing VCD writers: N counters of 32 bits and N scalar nets that
// change every clock, for CYCLES clocks. DUMP selects the writer: 0 none, 1 vvp's $dumpvars,
// 2 the engine's VCD writer through $orvex_request.
`timescale 1ns/1ps
module lane (input clk, output reg [31:0] count, output bit0);
  initial count = 0;
  always @(posedge clk) count <= count * 1103515245 + 12345;
  assign bit0 = count[7];
endmodule

module bench;
  parameter N = 1000;
  parameter CYCLES = 2000;
  reg clk = 0;
  genvar i;
  generate
    for (i = 0; i < N; i = i + 1) begin : g
      wire [31:0] count;
      wire bit0;
      lane l(.clk(clk), .count(count), .bit0(bit0));
    end
  endgenerate
  always #5 clk = ~clk;
  initial begin
    if (`DUMP == 1) begin
      $dumpfile(`FILE);
      $dumpvars(0, bench);
    end
    if (`DUMP == 2) begin
      $orvex_request("vcd-file", `FILE);
      $orvex_request("vcd-vars", "/bench", "0");
    end
    #(CYCLES * 10) $finish;
  end
endmodule
