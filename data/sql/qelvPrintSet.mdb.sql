-- qelvPrintSet.mdb: the print layouts. The invoice: one row per printed field (fp), the band limits
-- (fpLine) and the paper (fpPaperSize), in hundredths of a millimetre on the picture pic/fp.jpg, a
-- blank invoice 911 by 529 pixels at 15 twips a pixel. Eight fee lines of 8 mm fill the room between
-- the header (ends 40 mm down) and the footer (begins 104 mm down) exactly.
CREATE TABLE "fp" (
  "ID" SMALLINT CHECK (typeof("ID") IN ('integer','null') AND "ID" BETWEEN -32768 AND 32767),
  "Name" TEXT(50) COLLATE NOCASE CHECK (length("Name") <= 50),
  "LeiXing" SMALLINT CHECK (typeof("LeiXing") IN ('integer','null') AND "LeiXing" BETWEEN -32768 AND 32767),
  "Left" DOUBLE CHECK (typeof("Left") IN ('integer','real','null')),
  "Top" DOUBLE CHECK (typeof("Top") IN ('integer','real','null')),
  "Width" DOUBLE CHECK (typeof("Width") IN ('integer','real','null')),
  "Height" DOUBLE CHECK (typeof("Height") IN ('integer','real','null')),
  "FontSize" DOUBLE CHECK (typeof("FontSize") IN ('integer','real','null')),
  "Align" SMALLINT CHECK (typeof("Align") IN ('integer','null') AND "Align" BETWEEN -32768 AND 32767)
);

CREATE TABLE "fpLine" (
  "HeadHeigth" DOUBLE CHECK (typeof("HeadHeigth") IN ('integer','real','null')),
  "DetailHeigth" DOUBLE CHECK (typeof("DetailHeigth") IN ('integer','real','null')),
  "FooterHeigth" DOUBLE CHECK (typeof("FooterHeigth") IN ('integer','real','null')),
  "ID" SMALLINT CHECK (typeof("ID") IN ('integer','null') AND "ID" BETWEEN -32768 AND 32767)
);

CREATE TABLE "fpPaperSize" (
  "PaperWidth" DOUBLE CHECK (typeof("PaperWidth") IN ('integer','real','null')),
  "Paperheigth" DOUBLE CHECK (typeof("Paperheigth") IN ('integer','real','null')),
  "PictureWidth" DOUBLE CHECK (typeof("PictureWidth") IN ('integer','real','null')),
  "PictureHeigth" DOUBLE CHECK (typeof("PictureHeigth") IN ('integer','real','null')),
  "JianXi" DOUBLE CHECK (typeof("JianXi") IN ('integer','real','null'))
);

INSERT INTO "fp" ("ID","Name","LeiXing","Left","Top","Width","Height","FontSize","Align") VALUES
  (0,'缴款单位',1,3600,2500,9000,600,10,0),
  (1,'年',1,15000,2500,1400,600,10,2),
  (2,'月',1,17200,2500,1000,600,10,2),
  (3,'日',1,19000,2500,1000,600,10,2),
  (4,'序号',2,1600,4100,800,600,9,2),
  (5,'项目',2,2700,4100,9700,600,9,0),
  (6,'千万',2,12800,4100,600,600,9,2),
  (7,'百万',2,13800,4100,600,600,9,2),
  (8,'十万',2,14800,4100,600,600,9,2),
  (9,'万',2,15800,4100,600,600,9,2),
  (10,'千',2,16800,4100,600,600,9,2),
  (11,'百',2,17800,4100,600,600,9,2),
  (12,'十',2,18800,4100,600,600,9,2),
  (13,'元',2,19800,4100,600,600,9,2),
  (14,'角',2,20800,4100,600,600,9,2),
  (15,'分',2,21800,4100,600,600,9,2),
  (16,'大写合计',3,4400,10500,8100,600,10,0),
  (17,'小写合计',3,13100,10500,3800,600,10,0),
  (18,'znj',3,19400,10500,3000,600,10,0),
  (19,'收款单位',3,3400,11700,6000,600,10,0),
  (20,'审核',3,11200,11700,3000,600,10,0),
  (21,'经办人',3,16700,11700,3000,600,10,0);
INSERT INTO "fpLine" ("HeadHeigth","DetailHeigth","FooterHeigth","ID") VALUES (4000,4800,10400,1);
-- The picture's size as the layout designer works it out from its twips: twips / 56.69 * 100.
INSERT INTO "fpPaperSize" ("PaperWidth","Paperheigth","PictureWidth","PictureHeigth","JianXi") VALUES (24100,14000,24104.780384547543,13997.177632739462,500);

-- The collection document: one row per element (wt), "字段" for a column of the collection print file,
-- "标签" for a fixed text, and the paper (wtPaperSize), in hundredths of a millimetre on the picture
-- pic/wt.jpg, a blank collection voucher 665 by 378 pixels at 15 twips a pixel. A height of 530 is
-- one the designer's boxes take as they are (300 twips), so opening the designer leaves it alone.
CREATE TABLE "wt" (
  "ID" SMALLINT CHECK (typeof("ID") IN ('integer','null') AND "ID" BETWEEN -32768 AND 32767),
  "Name" TEXT(50) COLLATE NOCASE CHECK (length("Name") <= 50),
  "ZiDuanBiaoQian" TEXT(50) COLLATE NOCASE CHECK (length("ZiDuanBiaoQian") <= 50),
  "Left" DOUBLE CHECK (typeof("Left") IN ('integer','real','null')),
  "Top" DOUBLE CHECK (typeof("Top") IN ('integer','real','null')),
  "Width" DOUBLE CHECK (typeof("Width") IN ('integer','real','null')),
  "Height" DOUBLE CHECK (typeof("Height") IN ('integer','real','null')),
  "FontSize" DOUBLE CHECK (typeof("FontSize") IN ('integer','real','null')),
  "Align" SMALLINT CHECK (typeof("Align") IN ('integer','null') AND "Align" BETWEEN -32768 AND 32767)
);

CREATE TABLE "wtPaperSize" (
  "PaperWidth" DOUBLE CHECK (typeof("PaperWidth") IN ('integer','real','null')),
  "Paperheigth" DOUBLE CHECK (typeof("Paperheigth") IN ('integer','real','null')),
  "PictureWidth" DOUBLE CHECK (typeof("PictureWidth") IN ('integer','real','null')),
  "PictureHeigth" DOUBLE CHECK (typeof("PictureHeigth") IN ('integer','real','null')),
  "JianXi" DOUBLE CHECK (typeof("JianXi") IN ('integer','real','null'))
);

INSERT INTO "wt" ("ID","Name","ZiDuanBiaoQian","Left","Top","Width","Height","FontSize","Align") VALUES
  (0,'委托号码','字段',13900,1150,3200,530,9,0),
  (1,'年','字段',6300,1150,1000,530,9,2),
  (2,'月','字段',7700,1150,700,530,9,2),
  (3,'日','字段',8800,1150,700,530,9,2),
  (4,'付款人单位','字段',2600,1885,6100,530,9,0),
  (5,'付款人账号','字段',2600,2685,6100,530,9,0),
  (6,'付款人开户银行','字段',2600,3485,6100,530,9,0),
  (7,'收款人单位','字段',10900,1885,6100,530,9,0),
  (8,'收款人账号','字段',10900,2685,6100,530,9,0),
  (9,'收款人开户银行','字段',10900,3485,6100,530,9,0),
  (10,'委托金额大写合计','字段',2600,4485,8400,530,9,0),
  (11,'千万','字段',11150,4735,500,530,9,2),
  (12,'百万','字段',11750,4735,500,530,9,2),
  (13,'十万','字段',12350,4735,500,530,9,2),
  (14,'万','字段',12950,4735,500,530,9,2),
  (15,'千','字段',13550,4735,500,530,9,2),
  (16,'百','字段',14150,4735,500,530,9,2),
  (17,'十','字段',14750,4735,500,530,9,2),
  (18,'元','字段',15350,4735,500,530,9,2),
  (19,'角','字段',15950,4735,500,530,9,2),
  (20,'分','字段',16550,4735,500,530,9,2),
  (21,'款项内容','字段',2600,5485,6100,530,9,0),
  (22,'协议号','字段',10900,5485,6100,530,9,0),
  (23,'委托密码','字段',10900,7085,6100,530,9,0);
-- The picture's size as the layout designer saves it: twips / 56.69 * 100, to 15 significant digits.
INSERT INTO "wtPaperSize" ("PaperWidth","Paperheigth","PictureWidth","PictureHeigth","JianXi") VALUES (17600,10000,17595.6958899277,10001.7639795378,300);
