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
