// SAIF activity of vectors that span several 32-bit words, unknown and high-impedance bits, a
// real variable beside them, nets inside generate blocks, force and release, and zero-width glitches. ORACLE selects vvp's own $dumpvars.
`timescale 1ns/1ps
module tb;
  reg [69:0] wide = 70'h0;
  reg [32:0] odd = 33'h1_0000_0000;
  reg [3:0] nib = 4'b0000;
  reg g = 0;
  real level = 0.0;
  wire [69:0] inverted = ~wide;
  wire [31:0] word = odd[32:1];
  wire [3:0] shared = g ? 4'bzzzz : nib;
  wire lone = nib[3] ^ nib[1];  // one bit that is also x at times
  integer i;
  genvar n;
  generate
    for (n = 0; n < 2; n = n + 1) begin : lane
      wire [2:0] part = wide[3 * n + 2:3 * n];
    end
  endgenerate
  // Forced and released while the loop keeps assigning: the forced value holds until release.
  initial begin
    #100 force wide[9:2] = 8'hxa;
    #50 release wide[9:2];
    #30 force inverted = 70'h0;
    #40 release inverted;
  end
  initial begin
`ifdef SAIFFILE
    $orvex_request("saif-open", "/tb", `SAIFFILE, "1", "0");
`endif
`ifdef ORACLE
    $dumpfile(`ORACLE);
    $dumpvars;
`endif
    for (i = 0; i < 200; i = i + 1) begin
      #3 wide = {wide[68:0], ~(wide[69] ^ wide[40])};
      odd = odd + 33'h0_8000_0001;
      level = level + 0.25;
      if (i % 7 == 0) nib = 4'bx1z0;
      else if (i % 7 == 3) nib = i[3:0];
      if (i % 11 == 5) begin
        g = 1;
        g = 0;
      end
      if (i == 100) wide[50] = 1'bx;
      if (i == 120) wide[66:33] = 34'bz;
    end
    #5;
`ifdef SAIFFILE
    $orvex_request("saif-close");
`endif
    $finish;
  end
endmodule
