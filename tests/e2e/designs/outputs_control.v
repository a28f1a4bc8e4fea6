// Dumping switched off and on, a dump limited to a part of the hierarchy, tracing into the
// waveform database with objects added late and tracing stopped for a while, SAIF monitoring of
// ports, and refused requests. ORACLE selects vvp's own full $dumpvars instead.
`timescale 1ns/1ps
module shifter (input clk, input [3:0] d, input g, output reg [3:0] q, output wire parity);
  wire [3:0] inverted = ~q;
  assign parity = ^q;
  always @(posedge clk) q <= {q[2:0], d[0]} ^ d;
  inner u_inner(.a(q[0]), .y());
endmodule

module inner (input a, output y);
  assign y = ~a;
endmodule

module tb;
  reg clk = 0;
  reg [3:0] d = 4'b0001;
  reg [7:0] mem [0:3];
  reg [7:0] big [0:99];
  reg glitchy = 0;
  wire [3:0] q;
  wire parity;
  shifter dut(.clk(clk), .d(d), .g(glitchy), .q(q), .parity(parity));

  always #5 clk = ~clk;
  always @(negedge clk) d <= d + 5;
  always @(posedge clk) mem[d[1:0]] <= {d, q};
  always @(posedge clk) big[d] <= q;
  // A zero-width pulse at every 40 ns.
  always #40 begin glitchy = 1; glitchy = 0; end

`ifdef ORACLE
  initial begin
    $dumpfile(`ORACLE);
    $dumpvars(0, tb);
    #400 $finish;
  end
`else
  initial begin
    $orvex_request("vcd-vars", "/tb/nope", "1");
    $orvex_request("vcd-limit", "-3");
    $orvex_request("saif-close");
    $orvex_request("ntrace-select-object", "/tb/dut/nothing", "1");
    $orvex_request("max-traceable-size", "50");
    $orvex_request("ntrace-select-object", "/tb/big", "1");
    $orvex_request("vcd-file", `VCDFILE);
    $orvex_request("vcd-vars", "/tb/dut", "1");
    $orvex_request("saif-open", "/tb", `SAIFFILE, "0", "0");
    $orvex_request("wdb", `WDBFILE);
    $orvex_request("ntrace-select-object", "/tb/clk", "1");
    $orvex_request("ntrace-select-object", "/tb/mem", "1");
    $orvex_request("ntrace-start");
`ifdef LIMIT
    $orvex_request("vcd-limit", `LIMIT);
`endif
    #50 $orvex_request("vcd-vars", "/tb", "1");
    #50 $orvex_request("vcd-off");
    #50 $orvex_request("ntrace-select-object", "/tb/dut/q", "1");
    #50 $orvex_request("vcd-on");
    #50 $orvex_request("ntrace-stop");
    #50 $orvex_request("ntrace-start");
    $orvex_request("vcd-flush");
    #100 $orvex_request("saif-close");
    $finish;
  end
`endif
endmodule
